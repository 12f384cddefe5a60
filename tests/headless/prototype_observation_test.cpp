// The prototype's observation agrees with the rules (a listed move is never blocked,
// "interact" is listed exactly when there is a target) and lists what is in view.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "headless/prototype_reply.hpp"

namespace burrowlight::headless {
namespace {

using nlohmann::json;

json observed(const Game& game) { return json::parse(PrototypeReplyWriter().prototype_observation(game)); }

struct Step {
  std::string_view word;
  PrototypeAction action;
};

const std::vector<Step> kSteps = {
    {"north", {PrototypeAction::Move{0, -1}}},   {"south", {PrototypeAction::Move{0, 1}}},
    {"west", {PrototypeAction::Move{-1, 0}}},    {"east", {PrototypeAction::Move{1, 0}}},
    {"interact", {PrototypeAction::Interact{}}}, {"wait", {PrototypeAction::Wait{}}},
};

// Puts Pip on a random walkable cell of the authored map, so that the random walks
// start all over the castle instead of only in the clearing.
Game game_somewhere(std::mt19937& random) {
  Game game = Game::authored();
  std::uniform_int_distribution<std::int32_t> column(0, game.world.width - 1);
  std::uniform_int_distribution<std::int32_t> row(0, game.world.height - 1);
  do {
    game.x = column(random);
    game.y = row(random);
  } while (!walkable(game.world.tile(game.x, game.y)));
  game.region = area_at(game.x, game.y).name;
  game.update_visibility();
  return game;
}

TEST(PrototypeObservation, EveryListedMoveIsNeverBlocked) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, kSteps.size() - 1);
  std::size_t checked = 0;
  for (int walk = 0; walk < 40; ++walk) {
    Game game = game_somewhere(random);
    for (int command = 0; command < 40; ++command) {
      json legal = observed(game)["legal_actions"];
      for (const Step& step : kSteps) {
        bool listed = std::find(legal.begin(), legal.end(), step.word) != legal.end();
        if (!listed || step.word == "interact" || step.word == "wait") continue;
        Game copy = game;
        EXPECT_NE(copy.apply(step.action), Outcome{Outcome::Blocked{}})
            << step.word << " from " << game.x << "," << game.y;
        ++checked;
      }
      bool can_interact = std::find(legal.begin(), legal.end(), "interact") != legal.end();
      EXPECT_EQ(can_interact, game.interaction_target().has_value());
      game.apply(kSteps[pick(random)].action);
    }
  }
  EXPECT_GT(checked, 1000u);
}

TEST(PrototypeObservation, ListsASnuffedBrazierAndNoTakenCrystal) {
  Game game = Game::authored();
  game.x = 50;
  game.y = 41;
  game.update_visibility();
  game.apply({PrototypeAction::Interact{}});
  json brazier = {{"active", false},   {"crystal", false}, {"interactive", true},
                  {"name", "brazier"}, {"x", 50},          {"y", 42}};
  json listed = observed(game)["objects"];
  EXPECT_NE(std::find(listed.begin(), listed.end(), brazier), listed.end());

  json amethyst = {
      {"active", true}, {"crystal", true}, {"interactive", true}, {"name", "Amethyst of Echoes"},
      {"x", 45},        {"y", 40}};
  EXPECT_NE(std::find(listed.begin(), listed.end(), amethyst), listed.end());
  for (int step = 0; step < 5; ++step) game.apply({PrototypeAction::Move{-1, 0}});
  game.apply({PrototypeAction::Move{0, -1}});
  ASSERT_EQ(game.found, std::vector<Crystal>{Crystal::AmethystOfEchoes});
  json after = observed(game);
  listed = after["objects"];
  EXPECT_EQ(std::find_if(listed.begin(), listed.end(),
                         [](const json& object) { return object["crystal"] == true; }),
            listed.end());
  EXPECT_EQ(after["objective"]["found"], json::array({"Amethyst of Echoes"}));
}

}  // namespace
}  // namespace burrowlight::headless
