#include "board/committer.hpp"

#include <algorithm>
#include <array>

#include "board/daily_store.hpp"

namespace burrowlight::board {

namespace {

constexpr std::size_t kLargestBatch = 256;

// What makes a run a duplicate: a normal expedition's identity, a practice run's bytes.
std::string_view unique_key(const CheckedRun& run) {
  return run.expedition_id ? std::string_view(*run.expedition_id) : std::string_view(run.content_hash);
}

}  // namespace

Committer::Committer(std::unique_ptr<Connection> connection, const Clock& clock,
                     std::atomic<std::uint64_t>& commits)
    : connection_(std::move(connection)), clock_(clock), commits_(commits), worker_([this] { work(); }) {}

Committer::~Committer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  waiting_.notify_all();
  worker_.join();
}

DatabaseResult<StoredRun> Committer::submit(const Player& player, CheckedRun run) {
  std::future<DatabaseResult<StoredRun>> answer;
  {
    std::lock_guard lock(mutex_);
    Waiting& waiting = queue_.emplace_back(Waiting{&player, std::move(run), {}});
    answer = waiting.answer.get_future();
  }
  waiting_.notify_one();
  return answer.get();
}

void Committer::work() {
  for (;;) {
    std::deque<Waiting> batch;
    {
      std::unique_lock lock(mutex_);
      waiting_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      while (!queue_.empty() && batch.size() < kLargestBatch) {
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
    commit(batch);
  }
}

void Committer::commit(std::deque<Waiting>& batch) {
  // Board processes sharing a database take the locks of the unique keys in one order,
  // so two batches that hold the same runs wait for each other instead of deadlocking.
  std::sort(batch.begin(), batch.end(), [](const Waiting& left, const Waiting& right) {
    return unique_key(left.run) < unique_key(right.run);
  });
  const std::int64_t moment = clock_.now();
  const auto fail_all = [&batch](const DatabaseError& error) {
    for (Waiting& waiting : batch) waiting.answer.set_value(std::unexpected(error));
  };
  std::optional<DailyDay> today;
  for (const Waiting& waiting : batch) {
    if (!waiting.run.practice) continue;
    auto day = ensure_daily_day(*connection_, day_text(moment), moment);
    if (!day) return fail_all(day.error());
    today = *day;
    break;
  }

  if (auto begun = connection_->query(begin_statement(connection_->dialect())); !begun) return fail_all(begun.error());
  std::vector<DatabaseResult<StoredRun>> answers;
  answers.reserve(batch.size());
  for (Waiting& waiting : batch) {
    answers.push_back(insert(waiting, moment, today));
    if (!answers.back() && answers.back().error().failure == Failure::Unavailable) {
      (void)connection_->query("ROLLBACK");
      return fail_all(answers.back().error());
    }
  }
  if (auto committed = connection_->query("COMMIT"); !committed) {
    // Nothing of the batch is kept, whatever the database managed before it failed.
    (void)connection_->query("ROLLBACK");
    return fail_all(committed.error());
  }
  ++commits_;
  for (std::size_t index = 0; index < batch.size(); ++index) {
    batch[index].answer.set_value(std::move(answers[index]));
  }
}

DatabaseResult<StoredRun> Committer::insert(Waiting& waiting, std::int64_t moment,
                                            const std::optional<DailyDay>& today) {
  const CheckedRun& run = waiting.run;
  std::optional<std::string> daily;
  if (run.practice && today && today->seed == run.seed) daily = today->day;
  const auto optional_text = [](const std::optional<std::string>& text) {
    return text ? Value(*text) : Value();
  };
  const std::array<Value, 13> parameters = {
      waiting.player->id,
      std::int64_t{run.practice},
      std::to_string(run.seed),
      optional_text(run.expedition_id),
      static_cast<std::int64_t>(run.score),
      static_cast<std::int64_t>(run.depth),
      static_cast<std::int64_t>(run.turns),
      static_cast<std::int64_t>(run.actions),
      std::int64_t{run.finished},
      moment,
      optional_text(daily),
      run.content_hash,
      run.save};
  if (auto saved = connection_->query("SAVEPOINT run"); !saved) return std::unexpected(saved.error());
  auto inserted = connection_->query(
      "INSERT INTO runs (player_id, practice, seed, expedition_id, score, depth, turns, "
      "actions, finished, submitted_at, daily, content_hash, save) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id",
      parameters);
  if (!inserted) {
    if (auto undone = connection_->query("ROLLBACK TO SAVEPOINT run"); !undone) {
      return std::unexpected(undone.error());
    }
    return std::unexpected(inserted.error());
  }
  if (auto released = connection_->query("RELEASE SAVEPOINT run"); !released) {
    return std::unexpected(released.error());
  }
  return StoredRun{inserted->front().integer(0),
                   waiting.player->name,
                   run.practice,
                   run.seed,
                   run.expedition_id,
                   static_cast<std::int64_t>(run.score),
                   static_cast<std::int64_t>(run.depth),
                   static_cast<std::int64_t>(run.turns),
                   static_cast<std::int64_t>(run.actions),
                   run.finished,
                   moment,
                   daily};
}

}  // namespace burrowlight::board
