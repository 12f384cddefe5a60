#pragma once
// A few threads that share out one loop over many independent items: the items are taken
// in small runs by whichever thread is free, the caller among them, and a call returns
// only when every item is done, so the items' results are the same whatever the number of
// threads. A thread that wakes late (the machine's other work, say) finds less to do
// rather than holding everyone up.

#include <sys/types.h>

#include <atomic>
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

  // Calls `work(begin, end)` on contiguous runs of `smallest_share` items that together
  // make [0, count), on as many threads as there are such runs at most (so that a small
  // loop is not worth a wake-up).
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
    // Takes and does runs of the current round until none is left.
    void take_runs(const std::function<void(std::size_t, std::size_t)>& work);

    // What the current round asks of the workers; read under the mutex.
    const std::function<void(std::size_t, std::size_t)>* work = nullptr;
    std::size_t count = 0;
    std::size_t run_size = 1;
    std::size_t helpers = 0;
    std::uint64_t round = 0;
    // The workers inside the current round, and whether it still takes any: once the
    // caller has run out of items it waits only for those inside.
    std::size_t inside = 0;
    bool closed = true;
    bool stopping = false;
    // The next run to take; runs are taken outside the mutex.
    std::atomic<std::size_t> next_run{0};
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
