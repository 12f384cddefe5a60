#include "app/agent.hpp"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace burrowlight {
namespace {

using nlohmann::json;

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

TEST(AgentProperty, EveryListedMoveIsNeverBlocked) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, kSteps.size() - 1);
  std::size_t checked = 0;
  for (int walk = 0; walk < 40; ++walk) {
    Game game = game_somewhere(random);
    for (int command = 0; command < 40; ++command) {
      json legal = agent::observation(game)["legal_actions"];
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

TEST(AgentProperty, LookNeverChangesAnything) {
  const std::vector<std::string_view> words = {"look",     "north", "south", "west", "east",
                                               "interact", "wait",  "reset", "hop"};
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
  for (int session = 0; session < 6; ++session) {
    std::vector<std::string_view> commands;
    std::string input;
    for (int line = 0; line < 60; ++line) {
      commands.push_back(words[pick(random)]);
      input += std::string(commands.back()) + "\n";
    }
    StringInput in(input);
    StringOutput out;
    ASSERT_TRUE(agent::run_prototype(in, out).has_value());
    std::vector<std::string> replies;
    std::istringstream lines(out.bytes());
    for (std::string reply; std::getline(lines, reply);) replies.push_back(reply + "\n");
    ASSERT_EQ(replies.size(), commands.size() + 1);

    // The same commands on a game of our own: a look must answer exactly what this
    // game looks like, and must leave it as it was.
    Game mirror = Game::authored();
    for (std::size_t index = 0; index < commands.size(); ++index) {
      std::string_view word = commands[index];
      if (word == "reset") mirror = Game::authored();
      for (const Step& step : kSteps) {
        if (step.word == word) mirror.apply(step.action);
      }
      if (word == "look") {
        std::uint64_t turn = mirror.turn;
        EXPECT_EQ(replies[index + 1], agent::encode(agent::observation(mirror)).value());
        EXPECT_EQ(mirror.turn, turn);
      }
    }
  }
}

TEST(AgentObservation, ListsASnuffedBrazierAndNoTakenCrystal) {
  Game game = Game::authored();
  game.x = 50;
  game.y = 41;
  game.update_visibility();
  game.apply({PrototypeAction::Interact{}});
  json brazier = {{"active", false},   {"crystal", false}, {"interactive", true},
                  {"name", "brazier"}, {"x", 50},          {"y", 42}};
  json listed = agent::observation(game)["objects"];
  EXPECT_NE(std::find(listed.begin(), listed.end(), brazier), listed.end());

  json amethyst = {
      {"active", true}, {"crystal", true}, {"interactive", true}, {"name", "Amethyst of Echoes"},
      {"x", 45},        {"y", 40}};
  EXPECT_NE(std::find(listed.begin(), listed.end(), amethyst), listed.end());
  for (int step = 0; step < 5; ++step) game.apply({PrototypeAction::Move{-1, 0}});
  game.apply({PrototypeAction::Move{0, -1}});
  ASSERT_EQ(game.found, std::vector<Crystal>{Crystal::AmethystOfEchoes});
  json observed = agent::observation(game);
  listed = observed["objects"];
  EXPECT_EQ(std::find_if(listed.begin(), listed.end(),
                         [](const json& object) { return object["crystal"] == true; }),
            listed.end());
  EXPECT_EQ(observed["objective"]["found"], json::array({"Amethyst of Echoes"}));
}

TEST(AgentRespond, WritesOneCompactSortedLineAndFlushes) {
  StringOutput out;
  json value = {{"z", 1}, {"a", {{"y", true}, {"b", nullptr}}}, {"m", "é\n"}};
  ASSERT_TRUE(agent::respond(out, value).has_value());
  EXPECT_EQ(out.bytes(), "{\"a\":{\"b\":null,\"y\":true},\"m\":\"é\\n\",\"z\":1}\n");
  EXPECT_EQ(out.flushes(), 1u);
}

TEST(AgentRespond, TextThatIsNotUtf8IsAnError) {
  StringOutput out;
  auto written = agent::respond(out, {{"name", "\xff"}});
  ASSERT_FALSE(written.has_value());
  EXPECT_EQ(written.error().text(),
            "[json.exception.type_error.316] invalid UTF-8 byte at index 0: 0xFF");
  EXPECT_EQ(out.bytes(), "");
}

class BrokenOutput final : public Output {
 public:
  explicit BrokenOutput(int good_flushes) : good_flushes_(good_flushes) {}
  Result<void> write(std::string_view) override { return {}; }
  Result<void> flush() override {
    if (good_flushes_-- > 0) return {};
    return std::unexpected(Error::from_errno(EPIPE));
  }

 private:
  int good_flushes_;
};

class BrokenInput final : public Input {
 public:
  Result<std::size_t> read(std::span<char>) override {
    return std::unexpected(Error::from_errno(EIO));
  }
};

TEST(AgentLoop, StreamFailuresEndTheMode) {
  // Each input fails at the flush after the given number of good ones: the first reply,
  // an observation, an error reply and the farewell.
  const std::vector<std::pair<std::string, int>> cases = {
      {"look\n", 0}, {"look\nwait\n", 1}, {"hop\n", 1}, {"quit\n", 1}};
  for (const auto& [input, good_flushes] : cases) {
    StringInput in(input);
    BrokenOutput out(good_flushes);
    auto ended = agent::run_prototype(in, out);
    ASSERT_FALSE(ended.has_value()) << input;
    EXPECT_EQ(ended.error().text(), "Broken pipe (os error 32)") << input;
  }
  BrokenInput in;
  StringOutput out;
  auto ended = agent::run_prototype(in, out);
  ASSERT_FALSE(ended.has_value());
  EXPECT_EQ(ended.error().text(), "Input/output error (os error 5)");
  EXPECT_EQ(std::count(out.bytes().begin(), out.bytes().end(), '\n'), 1);
}

}  // namespace
}  // namespace burrowlight
