#include <cstdint>
#include <expected>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "core/expedition.hpp"
#include "core/vault.hpp"

namespace burrowlight {
namespace {

using expedition::Action;
using expedition::Error;
using expedition::Event;

Action parsed(std::string_view word) {
  const std::optional<Action> action = Action::parse(word);
  EXPECT_TRUE(action.has_value()) << word;
  return action.value_or(Action{expedition::Wait{}});
}

// Applies the words in order and returns the outcome of the last one.
std::expected<Event, Error> play(Expedition& state, const std::vector<std::string_view>& words) {
  std::expected<Event, Error> outcome = std::unexpected(Error::Blocked);
  for (const std::string_view word : words) {
    outcome = state.apply(parsed(word));
  }
  return outcome;
}

// A rule case: a starting position and charge on floor 0 of a seed, words
// to play, and what the last of them must give.
struct RuleCase {
  const char* name;
  std::uint64_t seed;
  std::int32_t x;
  std::int32_t y;
  std::uint8_t charge;
  std::vector<std::string_view> words;
  std::expected<Event, Error> outcome;
  std::int32_t final_x;
  std::int32_t final_y;
  std::uint8_t final_charge;
};

constexpr std::uint64_t kAllBits = 18446744073709551615ULL;

TEST(ExpeditionRules, ActionsOnFloorZero) {
  const std::vector<RuleCase> cases = {
      {"east onto ground", 0, 2, 2, 8, {"east"}, Event{expedition::Moved{}}, 3, 2, 8},
      {"south onto a flask leaves it", 0, 3, 2, 8, {"south"}, Event{expedition::Moved{}}, 3, 3, 8},
      {"flask gains up to the maximum", 0, 3, 3, 8, {"interact"}, Event{expedition::FlaskUsed{4}}, 3, 3, 12},
      {"flask gains its full refill", 0, 3, 3, 0, {"interact"}, Event{expedition::FlaskUsed{8}}, 3, 3, 8},
      {"flask gains one", 0, 3, 3, 11, {"interact"}, Event{expedition::FlaskUsed{1}}, 3, 3, 12},
      {"a used flask is gone", 0, 3, 3, 0, {"interact", "interact"}, std::unexpected(Error::NoFlask), 3, 3, 8},
      {"full charge keeps the flask", 0, 9, 3, 12, {"interact"}, std::unexpected(Error::ChargeFull), 9, 3, 12},
      {"no flask wins over full charge", 0, 2, 2, 12, {"interact"}, std::unexpected(Error::NoFlask), 2, 2, 12},
      {"dig a soft vein", 0, 5, 3, 8, {"dig-east"}, Event{expedition::Dug{2}}, 5, 3, 6},
      {"walk through a dug vein", 0, 5, 3, 8, {"dig-east", "east"}, Event{expedition::Moved{}}, 6, 3, 6},
      {"a vein blocks a move", 0, 5, 3, 8, {"east"}, std::unexpected(Error::Blocked), 5, 3, 8},
      {"dig with one charge", 0, 5, 3, 1, {"dig-east"}, std::unexpected(Error::InsufficientCharge), 5, 3, 1},
      {"dig with exactly the cost", 0, 5, 3, 2, {"dig-east"}, Event{expedition::Dug{2}}, 5, 3, 0},
      {"hard vein needs three", kAllBits, 5, 3, 2, {"dig-east"}, std::unexpected(Error::InsufficientCharge), 5, 3,
       2},
      {"dig a hard vein", kAllBits, 5, 3, 3, {"dig-east"}, Event{expedition::Dug{3}}, 5, 3, 0},
      {"dig a shortcut", kAllBits, 3, 5, 8, {"dig-south"}, Event{expedition::Dug{3}}, 3, 5, 5},
      {"dig into the wall row", 0, 2, 1, 8, {"dig-north"}, std::unexpected(Error::NotRock), 2, 1, 8},
      {"not rock wins over no charge", 0, 2, 1, 0, {"dig-north"}, std::unexpected(Error::NotRock), 2, 1, 0},
      {"dig ground", 0, 2, 2, 8, {"dig-west"}, std::unexpected(Error::NotRock), 2, 2, 8},
      {"north into the wall row", 0, 2, 1, 8, {"north"}, std::unexpected(Error::Blocked), 2, 1, 8},
      {"west into a wall", 0, 1, 2, 8, {"west"}, std::unexpected(Error::Blocked), 1, 2, 8},
      {"portal on ground", 0, 2, 2, 8, {"portal"}, std::unexpected(Error::NoPortal), 2, 2, 8},
      {"wait", 0, 2, 2, 8, {"wait"}, Event{expedition::Waited{}}, 2, 2, 8},
      {"a crystal is worth one on floor zero", 0, 7, 2, 8, {"north"}, Event{expedition::CrystalTaken{1}}, 7, 1, 8},
      {"a taken crystal is ground", 0, 7, 2, 8, {"north", "south", "north"}, Event{expedition::Moved{}}, 7, 1, 8},
      {"portal down", 0, 2, 9, 8, {"south", "portal"}, Event{expedition::PortalTaken{1}}, 2, 2, 8},
  };
  for (const RuleCase& test : cases) {
    Expedition state(test.seed);
    state.x = test.x;
    state.y = test.y;
    state.charge = test.charge;
    EXPECT_EQ(play(state, test.words), test.outcome) << test.name;
    EXPECT_EQ(state.x, test.final_x) << test.name;
    EXPECT_EQ(state.y, test.final_y) << test.name;
    EXPECT_EQ(state.charge, test.final_charge) << test.name;
  }
}

// Off the floor, a dig is blocked like a move rather than "not rock".
TEST(ExpeditionRules, TheEdgeOfTheFloorBlocksMovesAndDigs) {
  Expedition state(0);
  state.cells[0] = Cell::Ground;  // Column 0, row 0 of floor 0, opened to reach the edge.
  state.x = 0;
  state.y = 0;
  for (const std::string_view word : {"north", "west", "dig-north", "dig-west"}) {
    EXPECT_EQ(state.apply(parsed(word)), std::unexpected(Error::Blocked)) << word;
  }
  EXPECT_EQ(state.apply(parsed("dig-east")), std::unexpected(Error::NotRock));
}

TEST(ExpeditionRules, CrystalsAreWorthMoreOnDeeperFloors) {
  Expedition state(kAllBits);
  state.charge = 12;
  const std::vector<std::pair<std::size_t, std::uint32_t>> floors = {{0, 1}, {1, 4}, {2, 16}};
  std::uint32_t score = 0;
  for (const auto& [floor, value] : floors) {
    state.floor = floor;
    state.x = 11;
    state.y = 4;
    EXPECT_EQ(state.apply(parsed("south")), Event{expedition::CrystalTaken{value}}) << floor;
    score += value;
    EXPECT_EQ(state.score, score);
    EXPECT_EQ(state.cell(11, 5), Cell::Ground);
  }
}

TEST(ExpeditionRules, PortalsLeadDownAndBackUp) {
  Expedition state(0);
  state.x = 2;
  state.y = 10;
  EXPECT_EQ(state.apply(parsed("portal")), Event{expedition::PortalTaken{1}});
  EXPECT_EQ(state.floor, 1U);
  EXPECT_EQ(state.x, 2);
  EXPECT_EQ(state.y, 2);
  EXPECT_EQ(state.cell(2, 2), Cell::UpPortal);
  EXPECT_EQ(state.apply(parsed("portal")), Event{expedition::PortalTaken{0}});
  EXPECT_EQ(state.floor, 0U);
  EXPECT_EQ(state.x, 2);
  EXPECT_EQ(state.y, 10);
  EXPECT_EQ(state.cell(2, 10), Cell::DownPortal);
  EXPECT_EQ(state.turns, 2U);
}

// Changes made on one floor stay when the player leaves it and comes back.
TEST(ExpeditionRules, FloorsKeepTheirChanges) {
  Expedition state(0);
  state.x = 3;
  state.y = 3;
  state.charge = 0;
  ASSERT_EQ(state.apply(parsed("interact")), Event{expedition::FlaskUsed{8}});
  state.x = 2;
  state.y = 10;
  ASSERT_EQ(state.apply(parsed("portal")), Event{expedition::PortalTaken{1}});
  ASSERT_EQ(state.apply(parsed("portal")), Event{expedition::PortalTaken{0}});
  EXPECT_EQ(state.floor_cell(0, 3, 3), Cell::Ground);
  EXPECT_EQ(state.floor_cell(1, 3, 3), Cell::Flask);
}

TEST(ExpeditionRules, TheActionLimitRefusesEverything) {
  Expedition state(0);
  ASSERT_EQ(state.apply(parsed("north")), Event{expedition::Moved{}});
  for (int index = 0; index < 1000; ++index) {
    ASSERT_EQ(state.apply(parsed("north")), std::unexpected(Error::Blocked));
  }
  EXPECT_EQ(state.turns, 1U);
  while (state.turns < 512) {
    ASSERT_EQ(state.apply(parsed("wait")), Event{expedition::Waited{}});
  }
  for (const std::string_view word : expedition::kActionWords) {
    EXPECT_EQ(state.apply(parsed(word)), std::unexpected(Error::TurnLimit)) << word;
  }
  EXPECT_EQ(state.turns, 512U);
}

// Refusals must leave no trace, whatever the state and the action.
TEST(ExpeditionRules, ARefusedActionChangesNothing) {
  std::mt19937_64 random(0x6275727277ULL);
  std::uniform_int_distribution<int> code(1, 11);
  for (int run = 0; run < 200; ++run) {
    Expedition state(random());
    std::uint64_t accepted = 0;
    std::uint64_t refused = 0;
    for (int index = 0; index < 1200; ++index) {
      const Expedition before = state;
      const auto action = Action::from_code(static_cast<std::uint8_t>(code(random)));
      ASSERT_TRUE(action.has_value());
      const auto outcome = state.apply(*action);
      if (outcome) {
        accepted += 1;
      } else {
        refused += 1;
        ASSERT_EQ(state, before) << expedition::debug_name(outcome.error());
      }
      ASSERT_EQ(state.turns, accepted);
    }
    EXPECT_LE(accepted, 512U);
    EXPECT_GT(refused, 0U);
  }
}

TEST(ExpeditionVocabulary, EveryCodeConvertsBothWays) {
  for (unsigned code = 0; code < 256; ++code) {
    const std::optional<Action> action = Action::from_code(static_cast<std::uint8_t>(code));
    if (code < 1 || code > 11) {
      EXPECT_FALSE(action.has_value()) << code;
      continue;
    }
    ASSERT_TRUE(action.has_value()) << code;
    EXPECT_EQ(action->code(), code);
    EXPECT_EQ(action->word(), expedition::kActionWords[code - 1]);
    EXPECT_EQ(Action::parse(action->word()), action);
  }
}

TEST(ExpeditionVocabulary, WordsMapToTheirActions) {
  using expedition::Direction;
  const std::vector<std::pair<std::string_view, Action>> words = {
      {"north", {expedition::Move{Direction::North}}},   {"south", {expedition::Move{Direction::South}}},
      {"west", {expedition::Move{Direction::West}}},     {"east", {expedition::Move{Direction::East}}},
      {"dig-north", {expedition::Dig{Direction::North}}}, {"dig-south", {expedition::Dig{Direction::South}}},
      {"dig-west", {expedition::Dig{Direction::West}}},   {"dig-east", {expedition::Dig{Direction::East}}},
      {"interact", {expedition::Interact{}}},             {"portal", {expedition::Portal{}}},
      {"wait", {expedition::Wait{}}},
  };
  std::uint8_t code = 1;
  for (const auto& [word, action] : words) {
    EXPECT_EQ(Action::parse(word), action) << word;
    EXPECT_EQ(action.code(), code++) << word;
  }
  using namespace std::string_view_literals;
  for (const std::string_view other :
       {""sv, "North"sv, "NORTH"sv, "north "sv, " north"sv, "dig north"sv, "dig"sv, "look"sv, "dig-"sv, "wait\n"sv,
        "nort"sv, "north\0"sv, "n"sv}) {
    EXPECT_EQ(Action::parse(other), std::nullopt) << other;
  }
}

TEST(ExpeditionVocabulary, ErrorsHaveTheirSentencesAndNames) {
  const std::vector<std::tuple<Error, std::string_view, std::string_view>> errors = {
      {Error::Blocked, "The destination is blocked.", "Blocked"},
      {Error::NotRock, "There is no mineable rock in that direction.", "NotRock"},
      {Error::InsufficientCharge, "There is not enough charge to dig that rock.", "InsufficientCharge"},
      {Error::NoFlask, "There is no unused flask under the player.", "NoFlask"},
      {Error::ChargeFull, "Charge is full; the flask remains unused.", "ChargeFull"},
      {Error::NoPortal, "There is no portal under the player.", "NoPortal"},
      {Error::TurnLimit, "This expedition has reached its action limit.", "TurnLimit"},
  };
  for (const auto& [error, sentence, name] : errors) {
    EXPECT_EQ(expedition::message(error), sentence);
    EXPECT_EQ(expedition::debug_name(error), name);
  }
}

TEST(ExpeditionDeathTest, APlayerOffTheFloorStopsTheProgram) {
  Expedition state(0);
  state.x = 19;
  EXPECT_DEATH(state.apply(parsed("wait")), "the player stays inside the floor");
  Expedition upward(0);
  upward.cells[2 * 19 + 2] = Cell::UpPortal;  // An up portal on the top floor leads nowhere.
  EXPECT_DEATH(upward.apply(parsed("portal")), "the player stays inside the floor");
}

}  // namespace
}  // namespace burrowlight
