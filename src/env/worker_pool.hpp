#pragma once
// A few threads that share out one loop over many independent items: the caller takes a
// share too, and a call returns only when every share is done, so the items' results are
// the same whatever the number of threads.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <mutex>
#include <thread>
#include <vector>

namespace burrowlight::env {

class WorkerPool {
 public:
  // `threads` counts the caller: 1 runs everything on the calling thread.
  explicit WorkerPool(std::size_t threads);
  ~WorkerPool();

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  std::size_t threads() const { return workers_.size() + 1; }

  // Calls `work(begin, end)` on contiguous shares of [0, count), one per thread, no share
  // smaller than `smallest_share` items (so that a small loop is not worth a wake-up).
  void run(std::size_t count, std::size_t smallest_share,
           const std::function<void(std::size_t, std::size_t)>& work);

 private:
  void serve(std::size_t worker);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable started_;
  std::condition_variable finished_;
  // What the current round asks of the workers; read under the mutex.
  const std::function<void(std::size_t, std::size_t)>* work_ = nullptr;
  std::size_t count_ = 0;
  std::size_t shares_ = 0;
  std::uint64_t round_ = 0;
  std::size_t unfinished_ = 0;
  bool stopping_ = false;
};

// The threads a pool gets when nobody chose: one per core, at most eight.
std::size_t machine_threads();

}  // namespace burrowlight::env
