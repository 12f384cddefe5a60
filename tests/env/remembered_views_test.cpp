// An environment remembers the fields of view it has worked out; over long random runs
// with digs, portals and snapshots restored in the middle, it steps exactly like a run
// whose every view is worked out anew from the floor's grid world.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/expedition_world.hpp"
#include "core/game.hpp"
#include "env/expedition_env.hpp"

namespace burrowlight::env {
namespace {

using expedition::CellSet;

// What the player sees, from the grid world's own field of view, which knows nothing of
// blockers kept between looks or views remembered.
CellSet seen_anew(const Expedition& expedition) {
  const Game game = Game::from_world(expedition::world(expedition), expedition.x, expedition.y);
  CellSet seen;
  for (std::size_t cell = 0; cell < kCellsPerFloor; ++cell) {
    if (game.visible[cell] == 1) seen.insert(cell);
  }
  return seen;
}

// The run without remembered views, and the memory of each floor built from the views
// worked out anew.
struct Reference {
  ExpeditionState state;
  std::array<CellSet, kFloorCount> explored;

  void look() { explored[state.run.expedition().floor] |= seen_anew(state.run.expedition()); }
};

Reference fresh_reference(const ExpeditionEnv& environment) {
  Reference reference{environment.state(), {}};
  reference.look();
  return reference;
}

void step(Reference& reference, std::size_t action) {
  expedition::Run& run = reference.state.run;
  reference.state.error = {};
  if (action == kFinish) {
    run.finish();
    return;
  }
  const auto event =
      run.apply(*expedition::Action::from_code(static_cast<std::uint8_t>(action + 1)));
  if (!event) {
    reference.state.error = event.error();
    return;
  }
  reference.look();
}

// Mostly legal actions, digs and portals first whenever they are legal, so that the views
// a dig or a floor change invalidates come up often; now and then any action at all, and
// rarely "finish".
std::size_t pick(const ExpeditionObservation& observation, std::mt19937_64& random) {
  if (random() % 400 == 0) return kFinish;
  if (random() % 4 == 0) return random() % kFinish;
  std::vector<std::size_t> legal;
  for (std::size_t index = 0; index < kFinish; ++index) {
    if (observation.at<ExpeditionField::Legal>()[index]) legal.push_back(index);
  }
  for (std::size_t index : legal) {
    const bool dig_or_portal = (index >= 4 && index < 8) || index == 9;
    if (dig_or_portal && random() % 4 != 0) return index;
  }
  return legal.empty() ? random() % kFinish : legal[random() % legal.size()];
}

TEST(RememberedViews, StepExactlyLikeViewsWorkedOutAnew) {
  std::mt19937_64 random(20261209);
  ExpeditionEnv environment;
  // Observes and answers for the reference's state, handed to it before each look.
  ExpeditionEnv replier;
  ExpeditionObservation observation;
  ExpeditionObservation expected;
  int digs = 0;
  int portals = 0;
  int restores = 0;
  for (int episode = 0; episode < 16; ++episode) {
    environment.reset(random());
    Reference reference = fresh_reference(environment);
    std::vector<std::tuple<ExpeditionState, Reference>> snapshots;
    environment.observe(observation);
    for (int turn = 0; turn < 2500; ++turn) {
      if (turn % 97 == 0) snapshots.emplace_back(environment.state(), reference);
      if (turn % 331 == 330) {
        const auto& [state, earlier] = snapshots[random() % snapshots.size()];
        environment.restore(state);
        reference = earlier;
        restores += 1;
        environment.observe(observation);
      }
      const std::size_t action = pick(observation, random);
      const std::uint32_t floor =
          static_cast<std::uint32_t>(environment.state().run.expedition().floor);
      const ExpeditionStep result = environment.step(action);
      step(reference, action);
      if (!result.error && action >= 4 && action < 8) digs += 1;
      if (environment.state().run.expedition().floor != floor) portals += 1;

      const expedition::Run& run = environment.state().run;
      ASSERT_EQ(environment.state(), reference.state) << "episode " << episode << ", turn " << turn;
      ASSERT_EQ(run.in_view(), seen_anew(run.expedition()))
          << "episode " << episode << ", turn " << turn;
      for (std::size_t each = 0; each < kFloorCount; ++each) {
        ASSERT_EQ(run.explored(each), reference.explored[each]) << "floor " << each;
      }
      replier.restore(reference.state);
      environment.observe(observation);
      replier.observe(expected);
      ASSERT_TRUE(observation == expected);
      ASSERT_EQ(environment.reply(), std::string(replier.reply()));
      if (result.terminated || result.truncated) {
        environment.reset(random());
        reference = fresh_reference(environment);
        environment.observe(observation);
      }
    }
  }
  // The cases that change what is remembered came up, many times over.
  EXPECT_GT(digs, 150);
  EXPECT_GT(portals, 150);
  EXPECT_GT(restores, 100);
}

}  // namespace
}  // namespace burrowlight::env
