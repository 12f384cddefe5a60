#include "env/worker_pool.hpp"

#include <unistd.h>

#include <algorithm>

namespace burrowlight::env {

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
  const std::size_t run_size = std::max<std::size_t>(smallest_share, 1);
  const std::size_t threads = std::clamp<std::size_t>(count / run_size, 1, threads_);
  if (threads == 1) {
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
    crew.run_size = run_size;
    crew.helpers = threads - 1;
    crew.next_run.store(0, std::memory_order_relaxed);
    crew.closed = false;
    ++crew.round;
  }
  crew.started.notify_all();
  crew.take_runs(work);
  std::unique_lock lock(crew.mutex);
  crew.closed = true;
  crew.finished.wait(lock, [&crew] { return crew.inside == 0; });
  crew.work = nullptr;
}

void WorkerPool::Crew::take_runs(const std::function<void(std::size_t, std::size_t)>& current) {
  while (true) {
    const std::size_t begin = next_run.fetch_add(1, std::memory_order_relaxed) * run_size;
    if (begin >= count) return;
    current(begin, std::min(begin + run_size, count));
  }
}

void WorkerPool::Crew::serve(std::size_t worker) {
  std::uint64_t served = 0;
  while (true) {
    std::unique_lock lock(mutex);
    started.wait(lock, [&] { return stopping || round != served; });
    if (stopping) return;
    served = round;
    // A round that needs fewer threads leaves the rest idle; one whose items are all
    // taken already needs nobody more.
    if (worker > helpers || closed) continue;
    const auto* current = work;
    ++inside;
    lock.unlock();
    take_runs(*current);
    lock.lock();
    if (--inside == 0 && closed) finished.notify_one();
  }
}

}  // namespace burrowlight::env
