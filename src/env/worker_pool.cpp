#include "env/worker_pool.hpp"

#include <algorithm>

namespace burrowlight::env {

namespace {

// The items of share `share` out of `shares` over [0, count): the first ones take one
// item more when the count does not divide evenly.
std::pair<std::size_t, std::size_t> share_of(std::size_t share, std::size_t shares,
                                             std::size_t count) {
  const std::size_t size = count / shares;
  const std::size_t larger = count % shares;
  const std::size_t begin = share * size + std::min(share, larger);
  return {begin, begin + size + (share < larger ? 1 : 0)};
}

}  // namespace

std::size_t machine_threads() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
}

WorkerPool::WorkerPool(std::size_t threads) {
  for (std::size_t worker = 1; worker < std::max<std::size_t>(threads, 1); ++worker) {
    workers_.emplace_back([this, worker] { serve(worker); });
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  started_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::run(std::size_t count, std::size_t smallest_share,
                     const std::function<void(std::size_t, std::size_t)>& work) {
  const std::size_t shares =
      std::clamp<std::size_t>(count / std::max<std::size_t>(smallest_share, 1), 1, threads());
  if (shares == 1) {
    work(0, count);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    work_ = &work;
    count_ = count;
    shares_ = shares;
    unfinished_ = shares - 1;
    ++round_;
  }
  started_.notify_all();
  const auto [begin, end] = share_of(0, shares, count);
  work(begin, end);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [this] { return unfinished_ == 0; });
  work_ = nullptr;
}

void WorkerPool::serve(std::size_t worker) {
  std::uint64_t served = 0;
  while (true) {
    std::unique_lock lock(mutex_);
    started_.wait(lock, [&] { return stopping_ || round_ != served; });
    if (stopping_) return;
    served = round_;
    // A round that needs fewer shares than there are threads leaves the rest idle.
    if (worker >= shares_) continue;
    const auto [begin, end] = share_of(worker, shares_, count_);
    const auto* work = work_;
    lock.unlock();
    (*work)(begin, end);
    lock.lock();
    if (--unfinished_ == 0) finished_.notify_one();
  }
}

}  // namespace burrowlight::env
