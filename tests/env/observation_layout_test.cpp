// The description of each observation holds for what the environments write: over random
// play every element of every field lies within the field's bounds (the Gymnasium spaces
// made from them would refuse anything else), and the prototype's map has the authored
// location's size.

#include "env/observation_layout.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>

#include "env/expedition_env.hpp"
#include "env/prototype_env.hpp"

namespace burrowlight::env {
namespace {

// The first field of `observation` with an element outside its bounds, and the element.
template <const auto& kFields>
std::optional<std::string> out_of_bounds(const Observation<kFields>& observation) {
  std::optional<std::string> found;
  for_each_field<kFields>([&]<std::size_t field>() {
    const auto& values = observation.template at<field>();
    for (std::size_t index = 0; index < values.size() && !found; ++index) {
      const auto value = static_cast<std::int64_t>(values[index]);
      if (value < kFields[field].low || value > kFields[field].high) {
        found = std::string(kFields[field].name) + "[" + std::to_string(index) +
                "] = " + std::to_string(value);
      }
    }
  });
  return found;
}

// Plays `steps` random actions (the last index, "finish" for the expedition, rarely) and
// returns the first observation with an element out of bounds.
template <class Environment, const auto& kFields>
std::optional<std::string> play(std::size_t actions, int steps, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  Environment environment;
  Observation<kFields> observation;
  for (int step = 0; step < steps; ++step) {
    const std::size_t action =
        random() % 300 == 0 ? actions - 1 : static_cast<std::size_t>(random() % (actions - 1));
    environment.step(action);
    environment.observe(observation);
    if (auto found = out_of_bounds<kFields>(observation)) {
      return "step " + std::to_string(step) + ": " + *found;
    }
  }
  return std::nullopt;
}

struct Case {
  const char* name;
  std::function<std::optional<std::string>(std::uint64_t seed)> play;
};

class ObservationBounds : public testing::TestWithParam<Case> {};

TEST_P(ObservationBounds, HoldOverRandomPlay) {
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    EXPECT_EQ(GetParam().play(seed), std::nullopt) << "seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(EachGame, ObservationBounds,
                         testing::Values(Case{"expedition",
                                              [](std::uint64_t seed) {
                                                return play<ExpeditionEnv, kExpeditionFields>(
                                                    kExpeditionActionCount, 3000, seed);
                                              }},
                                         Case{"prototype",
                                              [](std::uint64_t seed) {
                                                return play<PrototypeEnv, kPrototypeFields>(
                                                    kPrototypeActionCount, 600, seed);
                                              }}),
                         [](const testing::TestParamInfo<Case>& game) {
                           return std::string(game.param.name);
                         });

TEST(PrototypeObservation, TheMapIsTheAuthoredLocationsSize) {
  const World& location = Game::authored().world;
  const Field& map = kPrototypeFields[PrototypeField::Map];
  EXPECT_EQ(map.shape[0], static_cast<std::size_t>(location.height));
  EXPECT_EQ(map.shape[1], static_cast<std::size_t>(location.width));
}

}  // namespace
}  // namespace burrowlight::env
