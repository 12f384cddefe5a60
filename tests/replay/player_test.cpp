// The replay's transport: stepping and jumping within the steps, playing at a speed
// against the time that passes, stopping at the last step, and the speed limits.

#include "replay/player.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace burrowlight::replay {
namespace {

struct Where {
  std::size_t step;
  bool playing;
  unsigned speed;
  bool operator==(const Where&) const = default;
};

Where where(const Player& player) { return {player.step(), player.playing(), player.speed()}; }

void PrintTo(const Where& at, std::ostream* out) {
  *out << "step " << at.step << (at.playing ? " playing" : " paused") << " at " << at.speed;
}

TEST(Player, KeysMoveWithinTheStepsAndTakeOverFromPlaying) {
  using Operation = std::function<void(Player&)>;
  const Operation forward = &Player::forward;
  const Operation back = &Player::back;
  const Operation first = &Player::to_first;
  const Operation last = &Player::to_last;
  const Operation play = &Player::play_or_pause;
  const Operation faster = &Player::faster;
  const Operation slower = &Player::slower;
  struct Case {
    std::string name;
    std::vector<Operation> operations;
    Where reached;
  };
  const std::vector<Case> cases = {
      {"opens paused at step 0", {}, {0, false, kStartingSpeed}},
      {"back at step 0 stays", {back}, {0, false, 4}},
      {"forward twice, back once", {forward, forward, back}, {1, false, 4}},
      {"forward stops at the last step", {last, forward}, {5, false, 4}},
      {"first after last", {last, first}, {0, false, 4}},
      {"space plays", {play}, {0, true, 4}},
      {"space again pauses", {play, play}, {0, false, 4}},
      {"a step by hand pauses", {play, forward}, {1, false, 4}},
      {"playing at the last step starts over", {last, play}, {0, true, 4}},
      {"speed doubles up to 32", {faster, faster, faster, faster}, {0, false, kFastestSpeed}},
      {"speed halves down to 1", {slower, slower, slower}, {0, false, kSlowestSpeed}},
  };
  for (const Case& c : cases) {
    Player player(5);
    for (const Operation& operation : c.operations) operation(player);
    EXPECT_EQ(where(player), c.reached) << c.name;
  }
}

TEST(Player, PlaysAsManyStepsAsTheTimeAllowsAndPausesAtTheEnd) {
  Player player(10);
  EXPECT_EQ(player.advance(1.0F), 0U) << "paused, time changes nothing";
  player.play_or_pause();
  // Four steps a second: a step is due every quarter of a second.
  EXPECT_EQ(player.advance(0.2F), 0U);
  EXPECT_EQ(player.advance(0.1F), 1U);
  EXPECT_EQ(player.advance(0.5F), 2U);
  EXPECT_EQ(player.step(), 3U);
  for (int doubling = 0; doubling < 3; ++doubling) player.faster();
  EXPECT_EQ(player.advance(0.1F), 3U) << "32 steps a second take several steps a frame";
  EXPECT_EQ(player.advance(0.1F), 3U);
  EXPECT_EQ(player.advance(0.1F), 1U) << "no further than the last step";
  EXPECT_EQ(where(player), (Where{10, false, 32}));

  // Started again, the first step waits a whole period, whatever was owed before.
  player.play_or_pause();
  EXPECT_EQ(player.step(), 0U);
  EXPECT_EQ(player.advance(0.03F), 0U);
  EXPECT_EQ(player.advance(0.01F), 1U);
}

TEST(Player, ASaveWithoutStepsNeverPlays) {
  Player player(0);
  player.play_or_pause();
  EXPECT_EQ(where(player), (Where{0, false, 4}));
  player.forward();
  EXPECT_EQ(player.step(), 0U);
}

}  // namespace
}  // namespace burrowlight::replay
