#pragma once
// A few threads that share out one loop over many independent items: the caller takes a
// share too, and a call returns only when every share is done, so the items' results are
// the same whatever the number of threads.

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace burrowlight::env {

class WorkerPool {
 public:
  // `threads` counts the caller: 1 runs everything on the calling thread.
  explicit WorkerPool(std::size_t threads);
  ~WorkerPool();

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  std::size_t threads() const { return threads_; }

  // Calls `work(begin, end)` on contiguous shares of [0, count), one per thread, no share
  // smaller than `smallest_share` items (so that a small loop is not worth a wake-up).
  // In a child forked from the process that started the threads, none of them exists:
  // the pool starts its threads anew there first.
  void run(std::size_t count, std::size_t smallest_share,
           const std::function<void(std::size_t, std::size_t)>& work);

 private:
  // The threads and what they share, started together by one process.
  struct Crew {
    explicit Crew(std::size_t threads);
    void serve(std::size_t worker);

    pid_t process;
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable started;
    std::condition_variable finished;
    // What the current round asks of the workers; read under the mutex.
    const std::function<void(std::size_t, std::size_t)>* work = nullptr;
    std::size_t count = 0;
    std::size_t shares = 0;
    std::uint64_t round = 0;
    std::size_t unfinished = 0;
    bool stopping = false;
  };

  // A crew of another process (this one's parent) is only memory here: its threads do
  // not exist, and its mutex and condition variables may be in the middle of a wait that
  // never ends, so it is neither joined nor destroyed, only let go.
  void forget_crew_of_parent();

  std::size_t threads_;
  std::unique_ptr<Crew> crew_;
};

// The threads a pool gets when nobody chose: one per core, at most eight.
std::size_t machine_threads();

}  // namespace burrowlight::env
