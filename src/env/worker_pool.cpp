#include "env/worker_pool.hpp"

#include <unistd.h>

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

WorkerPool::Crew::Crew(std::size_t threads) : process(::getpid()) {
  for (std::size_t worker = 1; worker < threads; ++worker) {
    workers.emplace_back([this, worker] { serve(worker); });
  }
}

WorkerPool::WorkerPool(std::size_t threads)
    : threads_(std::max<std::size_t>(threads, 1)),
      crew_(threads_ > 1 ? std::make_unique<Crew>(threads_) : nullptr) {}

WorkerPool::~WorkerPool() {
  if (!crew_) return;
  forget_crew_of_parent();
  if (!crew_) return;
  {
    std::lock_guard lock(crew_->mutex);
    crew_->stopping = true;
  }
  crew_->started.notify_all();
  for (std::thread& worker : crew_->workers) worker.join();
}

void WorkerPool::forget_crew_of_parent() {
  if (crew_ && crew_->process != ::getpid()) {
    // Deliberately leaked, once per fork: see the header.
    [[maybe_unused]] Crew* const parents = crew_.release();
  }
}

void WorkerPool::run(std::size_t count, std::size_t smallest_share,
                     const std::function<void(std::size_t, std::size_t)>& work) {
  const std::size_t shares =
      std::clamp<std::size_t>(count / std::max<std::size_t>(smallest_share, 1), 1, threads_);
  if (shares == 1) {
    work(0, count);
    return;
  }
  forget_crew_of_parent();
  if (!crew_) crew_ = std::make_unique<Crew>(threads_);
  Crew& crew = *crew_;
  {
    std::lock_guard lock(crew.mutex);
    crew.work = &work;
    crew.count = count;
    crew.shares = shares;
    crew.unfinished = shares - 1;
    ++crew.round;
  }
  crew.started.notify_all();
  const auto [begin, end] = share_of(0, shares, count);
  work(begin, end);
  std::unique_lock lock(crew.mutex);
  crew.finished.wait(lock, [&crew] { return crew.unfinished == 0; });
  crew.work = nullptr;
}

void WorkerPool::Crew::serve(std::size_t worker) {
  std::uint64_t served = 0;
  while (true) {
    std::unique_lock lock(mutex);
    started.wait(lock, [&] { return stopping || round != served; });
    if (stopping) return;
    served = round;
    // A round that needs fewer shares than there are threads leaves the rest idle.
    if (worker >= shares) continue;
    const auto [begin, end] = share_of(worker, shares, count);
    const auto* current = work;
    lock.unlock();
    (*current)(begin, end);
    lock.lock();
    if (--unfinished == 0) finished.notify_one();
  }
}

}  // namespace burrowlight::env
