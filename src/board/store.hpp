#pragma once
// Everything the board keeps, behind one object: players and their token digests, the
// runs and their boards, the daily secrets. Reads borrow a pooled connection; runs are
// written by the one committer.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/clock.hpp"
#include "board/committer.hpp"
#include "board/connection_pool.hpp"
#include "board/records.hpp"
#include "board/submission.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::board {

class Store {
 public:
  // Connects, creates or migrates the schema, and starts the committer.
  static Result<std::unique_ptr<Store>> open(const DatabaseAddress& address, const Clock& clock);

  // A new player with a fresh token; Conflict when the name is taken, in any case.
  DatabaseResult<NewPlayer> register_player(std::string_view name);
  DatabaseResult<std::optional<Player>> player_with_token(std::string_view token);

  // Blocks until the run is durably committed; Conflict when it is already on the board.
  DatabaseResult<StoredRun> submit(const Player& player, CheckedRun run) {
    return committer_->submit(player, std::move(run));
  }

  // The boards `run` is on, with its place on each.
  DatabaseResult<std::vector<Rank>> ranks(const StoredRun& run);
  DatabaseResult<BoardPage> board(const BoardName& board, std::int64_t limit, std::int64_t offset);
  DatabaseResult<std::optional<StoredRun>> run(std::int64_t id);
  // The last `limit` runs handed in, newest first.
  DatabaseResult<std::vector<StoredRun>> newest(std::int64_t limit);
  // The bytes that were submitted for run `id`.
  DatabaseResult<std::optional<std::string>> save_of(std::int64_t id);

  // How many commits this process has made, when it is the only writer of its database;
  // nothing when other processes may write too.
  std::optional<std::uint64_t> generation() const {
    if (!held_file_.valid()) return std::nullopt;
    return commits_.load();
  }

  // The days from `first` to `last`, drawing the secrets of `drawn_from` to `last` that
  // are missing.
  DatabaseResult<std::vector<DailyDay>> daily(const std::string& first,
                                              const std::string& drawn_from,
                                              const std::string& last);

 private:
  Store(DatabaseAddress address, sys::UniqueFd held_file, const Clock& clock)
      : pool_(std::move(address)), held_file_(std::move(held_file)), clock_(clock) {}

  ConnectionPool pool_;
  // An SQLite file held by this process alone; invalid for PostgreSQL.
  sys::UniqueFd held_file_;
  std::atomic<std::uint64_t> commits_ = 0;
  // Declared last: it is stopped, committing what waits, before the rest goes.
  std::unique_ptr<Committer> committer_;
  const Clock& clock_;
};

}  // namespace burrowlight::board
