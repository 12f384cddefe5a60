// The headless prototype loop: a look answers exactly the game as it stands and changes
// nothing, and a failing input or output ends the mode with its error.

#include "app/prototype_loop.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/game.hpp"
#include "headless/observations.hpp"
#include "headless/replies.hpp"
#include "sys/os_error.hpp"

namespace burrowlight::headless {
namespace {

struct Step {
  std::string_view word;
  PrototypeAction action;
};

const std::vector<Step> kSteps = {
    {"north", {PrototypeAction::Move{0, -1}}},   {"south", {PrototypeAction::Move{0, 1}}},
    {"west", {PrototypeAction::Move{-1, 0}}},    {"east", {PrototypeAction::Move{1, 0}}},
    {"interact", {PrototypeAction::Interact{}}}, {"wait", {PrototypeAction::Wait{}}},
};

TEST(PrototypeLoop, LookNeverChangesAnything) {
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
    ASSERT_TRUE(run_prototype(in, out).has_value());
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
        EXPECT_EQ(replies[index + 1], encode(prototype_observation(mirror)).value());
        EXPECT_EQ(mirror.turn, turn);
      }
    }
  }
}

class BrokenOutput final : public Output {
 public:
  explicit BrokenOutput(int good_flushes) : good_flushes_(good_flushes) {}
  Result<void> write(std::string_view) override { return {}; }
  Result<void> flush() override {
    if (good_flushes_-- > 0) return {};
    return std::unexpected(sys::os_error(EPIPE));
  }

 private:
  int good_flushes_;
};

class BrokenInput final : public Input {
 public:
  Result<std::size_t> read(std::span<char>) override { return std::unexpected(sys::os_error(EIO)); }
};

TEST(PrototypeLoop, StreamFailuresEndTheMode) {
  // Each input fails at the flush after the given number of good ones: the first reply,
  // an observation, an error reply and the farewell.
  const std::vector<std::pair<std::string, int>> cases = {
      {"look\n", 0}, {"look\nwait\n", 1}, {"hop\n", 1}, {"quit\n", 1}};
  for (const auto& [input, good_flushes] : cases) {
    StringInput in(input);
    BrokenOutput out(good_flushes);
    auto ended = run_prototype(in, out);
    ASSERT_FALSE(ended.has_value()) << input;
    EXPECT_EQ(ended.error().text(), "Broken pipe (os error 32)") << input;
  }
  BrokenInput in;
  StringOutput out;
  auto ended = run_prototype(in, out);
  ASSERT_FALSE(ended.has_value());
  EXPECT_EQ(ended.error().text(), "Input/output error (os error 5)");
  EXPECT_EQ(std::count(out.bytes().begin(), out.bytes().end(), '\n'), 1);
}

}  // namespace
}  // namespace burrowlight::headless
