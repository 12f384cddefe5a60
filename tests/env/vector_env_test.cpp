// A batch steps each of its environments exactly as a single environment of the same
// seed would, whatever the number of threads it is shared out on.

#include "env/vector_env.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace burrowlight::env {
namespace {

// Truth values in memory a batch can write to (a vector of bool has no such memory).
struct Flags {
  explicit Flags(std::size_t count) : values(new bool[count]()), size(count) {}
  Flags(const Flags& other) : Flags(other.size) {
    std::copy_n(other.values.get(), size, values.get());
  }
  bool operator==(const Flags& other) const {
    return std::equal(values.get(), values.get() + size, other.values.get(),
                      other.values.get() + other.size);
  }

  std::unique_ptr<bool[]> values;
  std::size_t size;
};

// The arrays of one batch, owned.
struct Rows {
  explicit Rows(std::size_t count)
      : observations(count), reward(count), terminated(count), truncated(count) {}

  ExpeditionBatch batch() {
    return {observations.rows(), reward.data(), terminated.values.get(), truncated.values.get()};
  }

  bool operator==(const Rows&) const = default;

  Columns<kExpeditionFields> observations;
  std::vector<std::int64_t> reward;
  Flags terminated, truncated;
};

// Plays `steps` random steps (finish rarely, so that episodes also end by the limit) and
// returns the rows after each.
std::vector<Rows> play(VectorExpeditionEnv& batch, std::size_t steps) {
  const std::size_t count = batch.size();
  std::mt19937_64 random(20261209);
  std::vector<Rows> seen;
  Rows rows(count);
  batch.reset(7, rows.batch());
  seen.push_back(rows);
  std::vector<std::int64_t> actions(count);
  for (std::size_t step = 0; step < steps; ++step) {
    for (std::int64_t& action : actions) {
      action = random() % 300 == 0 ? static_cast<std::int64_t>(kFinish)
                                   : static_cast<std::int64_t>(random() % kFinish);
    }
    batch.step(actions, rows.batch());
    seen.push_back(rows);
  }
  return seen;
}

TEST(VectorExpeditionEnv, TheThreadCountChangesNothing) {
  constexpr std::size_t kCount = 300;
  // Short episodes, so that many end by the limit and restart meanwhile.
  constexpr std::uint64_t kStepLimit = 150;
  VectorExpeditionEnv alone(kCount, kStepLimit, 1);
  const std::vector<Rows> expected = play(alone, 700);
  for (std::size_t threads : {2U, 4U}) {
    VectorExpeditionEnv shared(kCount, kStepLimit, threads);
    EXPECT_EQ(play(shared, 700), expected) << threads << " threads";
  }
}

TEST(VectorExpeditionEnv, EachRowIsTheSingleEnvironmentOfItsSeed) {
  constexpr std::size_t kCount = 130;
  VectorExpeditionEnv batch(kCount, 0, 2);
  const std::vector<Rows> seen = play(batch, 40);
  for (std::size_t index = 0; index < kCount; index += 43) {
    ExpeditionEnv single;
    single.reset(7 + index);
    ExpeditionObservation observation;
    single.observe(observation);
    const Rows& first = seen.front();
    using F = ExpeditionField;
    const auto map = first.observations.at<F::Map>(index);
    EXPECT_TRUE(std::equal(map.begin(), map.end(), observation.at<F::Map>().begin())) << index;
    EXPECT_EQ(first.observations.at<F::Charge>(index)[0], observation.at<F::Charge>()[0]) << index;
  }
}

TEST(VectorExpeditionEnv, ACopyGoesOnAsTheOriginal) {
  VectorExpeditionEnv original(200, 90, 2);
  play(original, 30);
  VectorExpeditionEnv copy = original;
  EXPECT_EQ(copy.threads(), 2U);
  Rows from_original(200), from_copy(200);
  const std::vector<std::int64_t> actions(200, 3);
  original.step(actions, from_original.batch());
  copy.step(actions, from_copy.batch());
  EXPECT_EQ(from_original, from_copy);
}

// A step limit truncates as a time limit around the environment does: on the limit's own
// step, whether or not that step also sealed the run.
TEST(VectorExpeditionEnv, TheLimitsStepIsTruncatedEvenWhenItSeals) {
  constexpr std::int64_t kWait = 10;
  struct Case {
    std::int64_t last_action;
    bool terminated;
  };
  for (const Case& row : {Case{kWait, false}, Case{static_cast<std::int64_t>(kFinish), true}}) {
    VectorExpeditionEnv batch(1, 3, 1);
    Rows rows(1);
    batch.reset(5, rows.batch());
    for (const std::int64_t action : {kWait, kWait, row.last_action}) {
      EXPECT_FALSE(rows.truncated.values[0]) << row.last_action;
      batch.step(std::vector<std::int64_t>{action}, rows.batch());
    }
    EXPECT_EQ(rows.terminated.values[0], row.terminated) << row.last_action;
    EXPECT_TRUE(rows.truncated.values[0]) << row.last_action;
    EXPECT_TRUE(batch.ended(0)) << row.last_action;
  }
}

// What `body` returns as the exit status of a forked child, or -1 when the child hangs
// (killed after `patience`) or dies: a pool that hangs fails the test instead of holding
// up the suite.
int in_forked_child(const std::function<bool()>& body, std::chrono::seconds patience) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body() ? 0 : 1);
  if (child < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VectorExpeditionEnv, AForkedChildStepsAsTheParentWithThreadsOfItsOwn) {
  constexpr std::size_t kCount = 256;
  constexpr std::size_t kSteps = 60;
  VectorExpeditionEnv alone(kCount, 40, 1);
  const std::vector<Rows> expected = play(alone, kSteps);
  // The parent's threads have run a round and wait for the next when the child is made.
  VectorExpeditionEnv shared(kCount, 40, 2);
  ASSERT_EQ(play(shared, 3).back(), expected[3]);
  const auto plays_as_expected = [&] { return play(shared, kSteps) == expected; };
  EXPECT_EQ(in_forked_child(plays_as_expected, std::chrono::seconds(120)), 0);
  // A grandchild forks from a child whose threads were started anew.
  EXPECT_EQ(in_forked_child(
                [&] {
                  return plays_as_expected() &&
                         in_forked_child(plays_as_expected, std::chrono::seconds(120)) == 0;
                },
                std::chrono::seconds(240)),
            0);
  // And the parent's own threads still serve it.
  EXPECT_EQ(play(shared, kSteps), expected);
}

}  // namespace
}  // namespace burrowlight::env
