// The environments' preconditions are checked: an action index out of range or a batch
// of actions of the wrong size stops the program with a message saying which, instead of
// reading past a table.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/prototype_env.hpp"
#include "env/vector_env.hpp"
#include "sys/panic_report.hpp"

namespace burrowlight::env {
namespace {

// Room for `count` environments' observations and results.
struct BatchArrays {
  explicit BatchArrays(std::size_t count)
      : observations(count), reward(count), flags(std::make_unique<bool[]>(2 * count)) {}

  ExpeditionBatch batch(std::size_t count) {
    return {observations.rows(), reward.data(), flags.get(), flags.get() + count};
  }

  Columns<kExpeditionFields> observations;
  std::vector<std::int64_t> reward;
  // Not std::vector<bool>, which has no bool storage to point into.
  std::unique_ptr<bool[]> flags;
};

TEST(EnvironmentDeathTest, AnActionOutOfRangePanics) {
  sys::report_panics();
  ExpeditionEnv expedition;
  expedition.reset(std::uint64_t{0});
  EXPECT_DEATH(expedition.step(kExpeditionActionCount),
               "BurrowLight panicked: ExpeditionEnv::step: the action index is out of range");
  PrototypeEnv prototype;
  EXPECT_DEATH(prototype.step(kPrototypeActionCount),
               "BurrowLight panicked: PrototypeEnv::step: the action index is out of range");
}

TEST(EnvironmentDeathTest, ABatchOfTheWrongSizePanics) {
  sys::report_panics();
  constexpr std::size_t kCount = 3;
  VectorExpeditionEnv vector(kCount);
  BatchArrays arrays(kCount);
  vector.reset(0, arrays.batch(kCount));
  for (const std::vector<std::int64_t>& actions :
       {std::vector<std::int64_t>(kCount - 1, 0), std::vector<std::int64_t>(kCount + 1, 0)}) {
    EXPECT_DEATH(vector.step(actions, arrays.batch(kCount)),
                 "VectorExpeditionEnv::step: the actions are not one per environment");
  }
  EXPECT_DEATH(vector.step(std::vector<std::int64_t>{0, -1, 0}, arrays.batch(kCount)),
               "ExpeditionEnv::step: the action index is out of range");
}

}  // namespace
}  // namespace burrowlight::env
