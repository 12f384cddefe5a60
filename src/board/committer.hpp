#pragma once
// The one writer of runs in a board process. Submissions wait in a queue while a
// transaction commits; the next transaction takes all that waited, each inside its own
// savepoint (so one duplicate refuses one run, not its neighbours), and commits them
// together. A submission is answered only after the commit that holds it returned, so
// every acceptance is durable, and many submissions share the cost of one disk flush.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "board/clock.hpp"
#include "board/database.hpp"
#include "board/records.hpp"
#include "board/submission.hpp"

namespace burrowlight::board {

class Committer {
 public:
  // `commits` counts the commits that stored a run.
  Committer(std::unique_ptr<Connection> connection, const Clock& clock,
            std::atomic<std::uint64_t>& commits);
  // Commits whatever waits, then stops.
  ~Committer();
  Committer(const Committer&) = delete;
  Committer& operator=(const Committer&) = delete;

  // Blocks until the run is committed (or refused, or the commit failed).
  DatabaseResult<StoredRun> submit(const Player& player, CheckedRun run);

 private:
  struct Waiting {
    const Player* player;
    CheckedRun run;
    std::promise<DatabaseResult<StoredRun>> answer;
  };

  void work();
  void commit(std::deque<Waiting>& batch);
  DatabaseResult<StoredRun> insert(Waiting& waiting, std::int64_t moment,
                                   const std::optional<DailyDay>& today);

  std::unique_ptr<Connection> connection_;
  const Clock& clock_;
  std::atomic<std::uint64_t>& commits_;
  std::mutex mutex_;
  std::condition_variable waiting_;
  std::deque<Waiting> queue_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace burrowlight::board
