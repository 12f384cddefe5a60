#include "core/game.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "sys/panic_report.hpp"

namespace burrowlight {
namespace {

constexpr std::string_view kSeamLine =
    "Between the roots: cut stone, a brass hinge, and the smell of candle wax.";
constexpr std::string_view kThresholdLine =
    "The cave becomes a vestibule. Someone has polished the impossible marble.";
constexpr std::string_view kConservatoryLine =
    "Moonlight pools between roses. The garden has never seen the sky.";
constexpr std::string_view kNaveLine =
    "Gold catches the candlelight. This hall is larger than the hill outside.";
constexpr std::string_view kArchiveLine =
    "Velvet dust. Locked books. A blue note trembling between the shelves.";
constexpr std::string_view kRestLine =
    "Pale roots cradle the tombs. Something beautiful grew down here.";
constexpr std::string_view kClearingLine =
    "Silver leaves keep their own moonlight. The cave waits beyond the moss.";
constexpr std::string_view kDoorLine = "The old door yields. Warm dust drifts through the frame.";
constexpr std::string_view kListenLine =
    "Pip listens. Somewhere in the stone, a crystal is singing.";

const PrototypeAction kNorth{PrototypeAction::Move{0, -1}};
const PrototypeAction kSouth{PrototypeAction::Move{0, 1}};
const PrototypeAction kWest{PrototypeAction::Move{-1, 0}};
const PrototypeAction kEast{PrototypeAction::Move{1, 0}};
const PrototypeAction kInteract{PrototypeAction::Interact{}};
const PrototypeAction kWait{PrototypeAction::Wait{}};

const Outcome kMoved{Outcome::Moved{}};
const Outcome kBlocked{Outcome::Blocked{}};
const Outcome kDoorOpened{Outcome::DoorOpened{}};
const Outcome kInteracted{Outcome::Interacted{}};

// The walk below writes its commands as letters: n, s, w, e, i and anything else waits.
PrototypeAction action_of(char command) {
  const PrototypeAction actions[] = {kNorth, kSouth, kWest, kEast, kInteract, kWait};
  return actions[std::min<std::size_t>(std::string_view("nswei").find(command), 5)];
}

std::vector<std::string> lines(const Game& game) {
  return {game.log_lines.begin(), game.log_lines.end()};
}

std::size_t count(const std::vector<std::uint8_t>& grid) {
  return static_cast<std::size_t>(std::count(grid.begin(), grid.end(), std::uint8_t{1}));
}

// A copy of everything a rule may change, for checking that nothing did.
auto state_of(const Game& game) {
  std::vector<std::tuple<std::int32_t, std::int32_t, PropKind, bool>> props;
  for (const Prop& prop : game.world.props)
    props.emplace_back(prop.x, prop.y, prop.kind, prop.active);
  return std::tuple(game.world.tiles, props, game.found, game.visible, game.discovered, lines(game),
                    std::string(game.region), game.x, game.y, game.turn, game.awakened);
}

// Puts Pip somewhere else, as if he had walked there.
void place(Game& game, std::int32_t x, std::int32_t y) {
  game.x = x;
  game.y = y;
  game.region = area_at(x, y).name;
  game.update_visibility();
}

TEST(AuthoredGame, SeesTheDiscOfRadiusFifteenCutOffAtTheDarkness) {
  Game game = Game::authored();
  EXPECT_EQ(count(game.visible), 663u);
  EXPECT_EQ(game.discovered, game.visible);
  EXPECT_TRUE(game.visible[game.world.index(12, 8)]);
  EXPECT_FALSE(game.visible[game.world.index(12, 7)]);
  EXPECT_FALSE(game.discovered[game.world.index(12, 7)]);
  // The first darkness on a line of sight is seen, the darkness behind it is not.
  EXPECT_TRUE(game.visible[game.world.index(1, 23)]);
  EXPECT_FALSE(game.visible[game.world.index(0, 23)]);
}

TEST(AuthoredGame, IsBuiltTheSameEveryTime) {
  EXPECT_EQ(state_of(Game::authored()), state_of(Game::authored()));
}

TEST(Game, FromAnEmptyWorldHasEmptyGrids) {
  Game game = Game::from_world(World::filled(0, 0, Tile::Darkness), 0, 0);
  EXPECT_TRUE(game.visible.empty());
  EXPECT_TRUE(game.discovered.empty());
  EXPECT_EQ(game.region, "The Silverleaf Clearing");
}

TEST(Game, APlayerFarOutsideTheWorldSeesNothing) {
  Game game = Game::from_world(World::filled(4, 4, Tile::MossAndGrass), INT32_MAX, INT32_MIN);
  EXPECT_EQ(count(game.visible), 0u);
  EXPECT_EQ(game.apply(kWest), kBlocked);
}

TEST(Game, LogKeepsTheLastEightLines) {
  Game game = Game::from_world(World::filled(1, 1, Tile::MossAndGrass), 0, 0);
  for (int line = 1; line <= 20; ++line) game.log("line " + std::to_string(line));
  std::vector<std::string> expected;
  for (int line = 13; line <= 20; ++line) expected.push_back("line " + std::to_string(line));
  EXPECT_EQ(lines(game), expected);
}

TEST(GameDeathTest, BrokenInvariantsStopTheProgram) {
  sys::report_panics();
  Game game = Game::from_world(World::filled(3, 3, Tile::MossAndGrass), 1, 1);
  EXPECT_DEATH(game.collect(0), "BurrowLight panicked: prop index is in bounds");
  game.visible.resize(4);
  EXPECT_DEATH(game.update_visibility(), "visibility coordinates are in bounds");
}

TEST(AreaAt, FollowsTheFixedRectangles) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    std::string_view name;
  };
  constexpr std::array<Case, 12> kCases{{
      {12, 23, "The Silverleaf Clearing"},
      {26, 23, "The Candlelit Seam"},
      {33, 40, "The Candlelit Seam"},
      {34, 23, "The Gloaming Threshold"},
      {43, 16, "The Moon Conservatory"},
      {35, 31, "The Silverleaf Clearing"},
      {36, 31, "The Gardener's Rest"},
      {51, 45, "The Silverleaf Clearing"},
      {66, 11, "The Hushed Archive"},
      {66, 12, "The Velvet Nave"},
      {84, 35, "The Velvet Nave"},
      {85, 35, "The Silverleaf Clearing"},
  }};
  for (const Case& area : kCases) {
    EXPECT_EQ(area_at(area.x, area.y).name, area.name) << area.x << "," << area.y;
  }
}

TEST(Rules, InteractingWithNothingInReachListensAndTakesATurn) {
  Game game = Game::authored();
  EXPECT_EQ(game.apply(kInteract), kInteracted);
  EXPECT_EQ(game.turn, 1u);
  EXPECT_EQ(game.log_lines.back(), kListenLine);
}

TEST(Rules, BlockedActionsChangeNothing) {
  struct Case {
    std::string_view what;
    std::int32_t x;
    std::int32_t y;
    PrototypeAction action;
  };
  const std::array<Case, 9> kCases{{
      {"diagonal step", 12, 23, PrototypeAction{PrototypeAction::Move{1, 1}}},
      {"no step", 12, 23, PrototypeAction{PrototypeAction::Move{0, 0}}},
      {"long step", 12, 23, PrototypeAction{PrototypeAction::Move{2, 0}}},
      {"into the darkness", 2, 23, kWest},
      {"into the pond", 13, 29, kSouth},
      {"into cave rock", 25, 20, kEast},
      {"into a tree", 7, 10, kNorth},
      {"into bookshelves", 57, 6, kNorth},
      {"into a stone bench", 59, 20, kEast},
  }};
  for (const Case& blocked : kCases) {
    Game game = Game::authored();
    place(game, blocked.x, blocked.y);
    const auto before = state_of(game);
    EXPECT_EQ(game.apply(blocked.action), kBlocked) << blocked.what;
    EXPECT_EQ(state_of(game), before) << blocked.what;
  }
}

TEST(Rules, StepsOffTheMapAreBlocked) {
  Game game = Game::from_world(World::filled(1, 1, Tile::MossAndGrass), 0, 0);
  for (const PrototypeAction& action : {kNorth, kSouth, kWest, kEast}) {
    EXPECT_EQ(game.apply(action), kBlocked);
  }
  EXPECT_EQ(game.turn, 0u);
}

TEST(Rules, LowPropsDoNotBlockMovement) {
  // Each case steps east from the given cell onto a prop that Pip may stand on.
  // Moss, the waystone, a brazier, a candle stand, a moon fern, velvet roses, glowing
  // mushrooms and a faded royal banner.
  const std::pair<std::int32_t, std::int32_t> starts[] = {{13, 25}, {7, 23},  {35, 21}, {43, 35},
                                                          {5, 12},  {10, 18}, {23, 21}, {79, 16}};
  for (const auto& [x, y] : starts) {
    Game game = Game::authored();
    place(game, x, y);
    EXPECT_EQ(game.apply(kEast), kMoved) << x << "," << y;
    EXPECT_EQ(game.x, x + 1);
  }
}

TEST(Rules, StandingOnTheWaystoneStillReachesIt) {
  Game game = Game::authored();
  place(game, 8, 23);
  EXPECT_EQ(game.interaction_target(), 102u);
  game.found = {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence};
  EXPECT_EQ(game.apply(kInteract), kInteracted);
  EXPECT_EQ(game.log_lines.back(), "The waystone has three empty settings. Crystals found: 2/3.");
}

TEST(Rules, ABrazierIsSnuffedThenRelit) {
  Game game = Game::authored();
  place(game, 50, 41);
  ASSERT_EQ(game.interaction_target(), 93u);
  EXPECT_EQ(game.apply(kInteract), kInteracted);
  EXPECT_FALSE(game.world.props[93].active);
  EXPECT_EQ(game.log_lines.back(), "You snuff the flame. Blue shadows return.");
  EXPECT_EQ(game.apply(kInteract), kInteracted);
  EXPECT_TRUE(game.world.props[93].active);
  EXPECT_EQ(game.log_lines.back(), "A small flame wakes. The shadows make room.");
}

TEST(Rules, InteractionTargetPrefersTheOwnCellThenListOrder) {
  World world = World::filled(5, 5, Tile::MossAndGrass);
  world.props = {
      {2, 1, PropKind::Tag::Brazier, true},
      {3, 2, PropKind::Tag::Moss, true},
      {1, 1, PropKind::Tag::CandleStand, true},  // Diagonal: never in reach.
      {2, 2, PropKind::Tag::MoonFern, true},     // Not interactable.
      {2, 3, PropKind::of_crystal(Crystal::AmethystOfEchoes), false},
  };
  Game game = Game::from_world(world, 2, 2);
  EXPECT_EQ(game.interaction_target(), 0u);
  game.world.props.push_back({2, 2, PropKind::Tag::ForestWaystone, true});
  EXPECT_EQ(game.interaction_target(), 5u);
  game.x = 0;
  game.y = 4;
  EXPECT_EQ(game.interaction_target(), std::nullopt);
}

TEST(Rules, ReadingAndTalkingLogTheirLines) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    std::string_view line;
  };
  constexpr std::array<Case, 3> kCases{{
      {57, 6, "Every book has the same title: A Guest Who Never Left. You put it back."},
      {40, 36, "The inscription reads: LET THE GARDENER SLEEP. Something smells faintly of roses."},
      {14, 24, "Moss: I will guard the way back. You investigate the suspiciously expensive cave."},
  }};
  for (const Case& reading : kCases) {
    Game game = Game::authored();
    place(game, reading.x, reading.y);
    EXPECT_EQ(game.apply(kInteract), kInteracted);
    EXPECT_EQ(game.log_lines.back(), reading.line);
  }
}

TEST(Rules, InteractingWithACrystalTakesIt) {
  Game game = Game::authored();
  place(game, 74, 6);
  EXPECT_EQ(game.apply(kInteract), Outcome{Outcome::Found{Crystal::SapphireOfSilence}});
  EXPECT_FALSE(game.world.props[100].active);
  EXPECT_EQ(game.interaction_target(), std::nullopt);
  EXPECT_EQ(game.collect(0), std::nullopt);
  EXPECT_EQ(game.found, std::vector<Crystal>{Crystal::SapphireOfSilence});
}

// One stretch of the walk: the commands, the lines they log, in order, and where
// the last command leaves Pip with which outcome.
struct Leg {
  std::string_view commands;
  std::vector<std::string_view> lines;
  Outcome last;
  std::int32_t x;
  std::int32_t y;
};

std::string found_line(std::string_view crystal) {
  return "Found the " + std::string(crystal) + ". Its song settles into your satchel.";
}

TEST(Rules, AWalkThroughTheCastleAwakensTheWaystone) {
  const std::string emerald = found_line("Emerald of Thorns");
  const std::string sapphire = found_line("Sapphire of Silence");
  const std::string amethyst = found_line("Amethyst of Echoes");
  const std::vector<Leg> legs = {
      {"eeeeeeeeeeeeee", {kSeamLine}, kMoved, 26, 23},
      {"eeeeeeee", {kDoorLine}, kDoorOpened, 33, 23},
      {"e", {kThresholdLine}, kMoved, 34, 23},
      {"eeeeeeeeennnnnnn", {kDoorLine}, kDoorOpened, 43, 17},
      {"n", {kConservatoryLine}, kMoved, 43, 16},
      {"nnnneeennnnnnnww", {emerald}, Outcome{Outcome::Found{Crystal::EmeraldOfThorns}}, 44, 5},
      {"eessssssswwwsssss", {kThresholdLine}, kMoved, 43, 17},
      {"sssssseeeeeeeee", {kDoorLine}, kDoorOpened, 51, 23},
      {"e", {kNaveLine}, kMoved, 52, 23},
      {"eeeeeeeeeeeeeennnnnnnnnnnn", {kArchiveLine}, kMoved, 66, 11},
      {"n", {kDoorLine}, kDoorOpened, 66, 11},
      {"n", {}, kMoved, 66, 10},
      {"nnnnneeeeeeee", {sapphire}, Outcome{Outcome::Found{Crystal::SapphireOfSilence}}, 74, 5},
      {"wwwwwwwwsssssss", {kNaveLine}, kMoved, 66, 12},
      {"ssssssssssswwwwwwwwwwwwwww", {kThresholdLine}, kMoved, 51, 23},
      {"wwwwwwwwssssssss", {kRestLine}, kMoved, 43, 31},
      {"ss", {kDoorLine}, kDoorOpened, 43, 32},
      {"ssssssssee",
       {amethyst, "Three voices, one chord. Return to the waystone in the clearing."},
       Outcome{Outcome::Found{Crystal::AmethystOfEchoes}},
       45,
       40},
      {"wwnnnnnnnnnn", {kThresholdLine}, kMoved, 43, 30},
      {"nnnnnnnwwwwwwwwww", {kSeamLine}, kMoved, 33, 23},
      {"wwwwwwww", {kClearingLine}, kMoved, 25, 23},
      {"wwwwwwwwwwwwwwwww", {}, kMoved, 8, 23},
      {"i",
       {"The waystone blooms with light. For a moment, the forest remembers the stars.",
        "Moss: Three shiny rocks. One impossible castle. A very good evening."},
       Outcome{Outcome::Awakened{}},
       8,
       23},
      {"i", {}, kInteracted, 8, 23},
  };

  Game game = Game::authored();
  std::uint64_t commands = 0;
  for (const Leg& leg : legs) {
    std::deque<std::string> expected_log = game.log_lines;
    for (std::string_view line : leg.lines) expected_log.emplace_back(line);
    while (expected_log.size() > kLogCapacity) expected_log.pop_front();
    Outcome last{Outcome::Waited{}};
    for (char command : leg.commands) {
      last = game.apply(action_of(command));
      ++commands;
    }
    EXPECT_EQ(game.log_lines, expected_log) << "after " << leg.commands;
    EXPECT_EQ(last, leg.last) << "after " << leg.commands;
    // Later legs only make sense from where this one should have ended.
    ASSERT_EQ(game.x, leg.x) << "after " << leg.commands;
    ASSERT_EQ(game.y, leg.y) << "after " << leg.commands;
    EXPECT_EQ(game.region, area_at(game.x, game.y).name);
  }
  EXPECT_EQ(game.turn, commands);
  EXPECT_TRUE(game.awakened);
  EXPECT_EQ(game.found, (std::vector<Crystal>{Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence,
                                              Crystal::AmethystOfEchoes}));
  EXPECT_EQ(game.apply(kWait), Outcome{Outcome::Waited{}});
}

}  // namespace
}  // namespace burrowlight
