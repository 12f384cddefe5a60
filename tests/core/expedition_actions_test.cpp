#include "core/expedition_actions.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <expected>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/expedition.hpp"
#include "sys/panic_report.hpp"

namespace burrowlight::expedition {
namespace {

using Outcome = std::expected<Event, Refusal>;
using enum Refusal;

constexpr std::uint64_t kAllBits = 18446744073709551615ULL;

Action parsed(std::string_view word) {
  const std::optional<Action> action = Action::parse(word);
  EXPECT_TRUE(action.has_value()) << word;
  return action.value_or(Action{Wait{}});
}

Outcome refused(Refusal error) { return std::unexpected(error); }

// Applies the words in order and returns the outcome of the last one.
Outcome play(Expedition& state, const std::vector<std::string_view>& words) {
  Outcome outcome = refused(Blocked);
  for (const std::string_view word : words) outcome = state.apply(parsed(word));
  return outcome;
}

TEST(ExpeditionRules, ActionsOnFloorZero) {
  // A starting position and charge on floor 0 of a seed, the words to play, what the last
  // of them gives and the position and charge it leaves.
  struct Case {
    const char* name;
    std::uint64_t seed;
    std::int32_t x;
    std::int32_t y;
    std::uint8_t charge;
    std::vector<std::string_view> words;
    Outcome outcome;
    std::int32_t final_x;
    std::int32_t final_y;
    std::uint8_t final_charge;
  };
  const std::vector<Case> cases = {
      {"east onto ground", 0, 2, 2, 8, {"east"}, Moved{}, 3, 2, 8},
      {"south onto a flask leaves it", 0, 3, 2, 8, {"south"}, Moved{}, 3, 3, 8},
      {"flask gains up to the maximum", 0, 3, 3, 8, {"interact"}, FlaskUsed{4}, 3, 3, 12},
      {"flask gains its full refill", 0, 3, 3, 0, {"interact"}, FlaskUsed{8}, 3, 3, 8},
      {"flask gains one", 0, 3, 3, 11, {"interact"}, FlaskUsed{1}, 3, 3, 12},
      {"a used flask is gone", 0, 3, 3, 0, {"interact", "interact"}, refused(NoFlask), 3, 3, 8},
      {"full charge keeps the flask", 0, 9, 3, 12, {"interact"}, refused(ChargeFull), 9, 3, 12},
      {"no flask wins over full charge", 0, 2, 2, 12, {"interact"}, refused(NoFlask), 2, 2, 12},
      {"dig a soft vein", 0, 5, 3, 8, {"dig-east"}, Dug{2}, 5, 3, 6},
      {"walk through a dug vein", 0, 5, 3, 8, {"dig-east", "east"}, Moved{}, 6, 3, 6},
      {"a vein blocks a move", 0, 5, 3, 8, {"east"}, refused(Blocked), 5, 3, 8},
      {"dig with one charge", 0, 5, 3, 1, {"dig-east"}, refused(InsufficientCharge), 5, 3, 1},
      {"dig with exactly the cost", 0, 5, 3, 2, {"dig-east"}, Dug{2}, 5, 3, 0},
      {"hard vein needs 3", kAllBits, 5, 3, 2, {"dig-east"}, refused(InsufficientCharge), 5, 3, 2},
      {"dig a hard vein", kAllBits, 5, 3, 3, {"dig-east"}, Dug{3}, 5, 3, 0},
      {"dig a shortcut", kAllBits, 3, 5, 8, {"dig-south"}, Dug{3}, 3, 5, 5},
      {"dig into the wall row", 0, 2, 1, 8, {"dig-north"}, refused(NotRock), 2, 1, 8},
      {"not rock wins over no charge", 0, 2, 1, 0, {"dig-north"}, refused(NotRock), 2, 1, 0},
      {"dig ground", 0, 2, 2, 8, {"dig-west"}, refused(NotRock), 2, 2, 8},
      {"north into the wall row", 0, 2, 1, 8, {"north"}, refused(Blocked), 2, 1, 8},
      {"west into a wall", 0, 1, 2, 8, {"west"}, refused(Blocked), 1, 2, 8},
      {"portal on ground", 0, 2, 2, 8, {"portal"}, refused(NoPortal), 2, 2, 8},
      {"wait", 0, 2, 2, 8, {"wait"}, Waited{}, 2, 2, 8},
      {"a crystal is worth one on floor zero", 0, 7, 2, 8, {"north"}, CrystalTaken{1}, 7, 1, 8},
      {"a taken crystal is ground", 0, 7, 2, 8, {"north", "south", "north"}, Moved{}, 7, 1, 8},
      {"portal down", 0, 2, 9, 8, {"south", "portal"}, PortalTaken{1}, 2, 2, 8},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Expedition state(test.seed);
    state.x = test.x;
    state.y = test.y;
    state.charge = test.charge;
    EXPECT_EQ(play(state, test.words), test.outcome);
    EXPECT_EQ(std::tuple(state.x, state.y, state.charge),
              std::tuple(test.final_x, test.final_y, test.final_charge));
  }
}

// Off the floor, a dig is blocked like a move rather than "not rock".
TEST(ExpeditionRules, TheEdgeOfTheFloorBlocksMovesAndDigs) {
  Expedition state(0);
  state.cells[0] = Cell::Ground;  // Column 0, row 0 of floor 0, opened to reach the edge.
  state.x = 0;
  state.y = 0;
  for (const std::string_view word : {"north", "west", "dig-north", "dig-west"}) {
    EXPECT_EQ(state.apply(parsed(word)), refused(Blocked)) << word;
  }
  EXPECT_EQ(state.apply(parsed("dig-east")), refused(NotRock));
}

TEST(ExpeditionRules, CrystalsAreWorthMoreOnDeeperFloors) {
  Expedition state(kAllBits);
  std::uint32_t score = 0;
  for (const auto& [floor, value] :
       {std::pair<std::size_t, std::uint32_t>{0, 1}, {1, 4}, {2, 16}}) {
    state.floor = floor;
    state.x = 11;
    state.y = 4;
    EXPECT_EQ(state.apply(parsed("south")), Outcome(CrystalTaken{value})) << floor;
    score += value;
    EXPECT_EQ(state.score, score);
    EXPECT_EQ(state.cell(11, 5), Cell::Ground);
  }
}

// The portal is not used up, and changes made on one floor stay when the player leaves
// it and comes back.
TEST(ExpeditionRules, PortalsLeadDownAndBackUpAndFloorsKeepTheirChanges) {
  Expedition state(0);
  state.x = 3;
  state.y = 3;
  state.charge = 0;
  ASSERT_EQ(state.apply(parsed("interact")), Outcome(FlaskUsed{8}));
  state.x = 2;
  state.y = 10;
  EXPECT_EQ(state.apply(parsed("portal")), Outcome(PortalTaken{1}));
  EXPECT_EQ(std::tuple(state.floor, state.x, state.y), std::tuple(1u, 2, 2));
  EXPECT_EQ(state.cell(2, 2), Cell::UpPortal);
  EXPECT_EQ(state.cell(3, 3), Cell::Flask);
  EXPECT_EQ(state.apply(parsed("portal")), Outcome(PortalTaken{0}));
  EXPECT_EQ(std::tuple(state.floor, state.x, state.y), std::tuple(0u, 2, 10));
  EXPECT_EQ(state.cell(2, 10), Cell::DownPortal);
  EXPECT_EQ(state.cell(3, 3), Cell::Ground);
  EXPECT_EQ(state.turns, 3U);
}

TEST(ExpeditionRules, TheActionLimitRefusesEverything) {
  Expedition state(0);
  ASSERT_EQ(state.apply(parsed("north")), Outcome(Moved{}));
  for (int index = 0; index < 1000; ++index) {
    ASSERT_EQ(state.apply(parsed("north")), refused(Blocked));
  }
  EXPECT_EQ(state.turns, 1U);
  while (state.turns < 512) ASSERT_EQ(state.apply(parsed("wait")), Outcome(Waited{}));
  for (const std::string_view word : kActionWords) {
    EXPECT_EQ(state.apply(parsed(word)), refused(TurnLimit)) << word;
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
    std::uint64_t refusals = 0;
    for (int index = 0; index < 1200; ++index) {
      const Expedition before = state;
      const auto action = Action::from_code(static_cast<std::uint8_t>(code(random)));
      ASSERT_TRUE(action.has_value());
      const auto outcome = state.apply(*action);
      if (outcome) {
        accepted += 1;
      } else {
        refusals += 1;
        ASSERT_EQ(state, before) << debug_name(outcome.error());
      }
      ASSERT_EQ(state.turns, accepted);
    }
    EXPECT_LE(accepted, 512U);
    EXPECT_GT(refusals, 0U);
  }
}

// The legal actions are listed in one pass over the cells around the player; over cells of
// any kind, every place (the edges too), every charge and both sides of the action limit,
// they are exactly the actions refusal() lets through.
TEST(ExpeditionRules, TheLegalActionsAreThoseTheRulesAccept) {
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<int> kind(0, 7);
  std::uniform_int_distribution<int> charge(0, kMaxCharge);
  for (int round = 0; round < 30; ++round) {
    Expedition state(random());
    for (Cell& cell : state.cells) cell = static_cast<Cell>(kind(random));
    state.floor = static_cast<std::size_t>(round % 3);
    state.turns = round % 5 == 0 ? kActionLimit : kActionLimit - 1;
    for (state.y = 0; state.y < kFloorHeight; ++state.y) {
      for (state.x = 0; state.x < kFloorWidth; ++state.x) {
        state.charge = static_cast<std::uint8_t>(charge(random));
        const ActionSet legal = state.legal_actions();
        for (std::uint8_t code = 1; code <= kActionWords.size(); ++code) {
          const Action action = *Action::from_code(code);
          ASSERT_EQ(legal[code - 1U], !state.refusal(action))
              << action.word() << " at " << state.x << "," << state.y << " with charge "
              << int{state.charge} << " after " << state.turns << " turns";
        }
      }
    }
  }
}

// The code of an action is its place in this list, counting from 1.
TEST(ExpeditionVocabulary, WordsAndCodesMapToTheirActions) {
  const std::vector<std::pair<std::string_view, Action>> words = {
      {"north", {Move{Direction::North}}},
      {"south", {Move{Direction::South}}},
      {"west", {Move{Direction::West}}},
      {"east", {Move{Direction::East}}},
      {"dig-north", {Dig{Direction::North}}},
      {"dig-south", {Dig{Direction::South}}},
      {"dig-west", {Dig{Direction::West}}},
      {"dig-east", {Dig{Direction::East}}},
      {"interact", {Interact{}}},
      {"portal", {Portal{}}},
      {"wait", {Wait{}}},
  };
  std::uint8_t code = 1;
  for (const auto& [word, action] : words) {
    SCOPED_TRACE(word);
    EXPECT_EQ(Action::parse(word), action);
    EXPECT_EQ(Action::from_code(code), action);
    EXPECT_EQ(action.code(), code++);
    EXPECT_EQ(action.word(), word);
  }
  EXPECT_EQ(Action::from_code(0), std::nullopt);
  for (unsigned other = 12; other < 256; ++other) {
    EXPECT_EQ(Action::from_code(static_cast<std::uint8_t>(other)), std::nullopt) << other;
  }
  using namespace std::string_view_literals;
  for (const std::string_view other :
       {""sv, "North"sv, "NORTH"sv, "north "sv, " north"sv, "dig north"sv, "dig"sv, "look"sv,
        "dig-"sv, "wait\n"sv, "nort"sv, "north\0"sv, "n"sv}) {
    EXPECT_EQ(Action::parse(other), std::nullopt) << other;
  }
}

// The sentences are the ones the headless mode and the Python info write; each refusal
// has its own sentence and name, and reading a sentence back names its refusal.
TEST(ExpeditionVocabulary, EveryRefusalHasItsOwnSentenceAndName) {
  const std::vector<std::tuple<Refusal, std::string_view, std::string_view>> errors = {
      {Refusal::Blocked, "The destination is blocked.", "Blocked"},
      {Refusal::NotRock, "There is no mineable rock in that direction.", "NotRock"},
      {Refusal::InsufficientCharge, "There is not enough charge to dig that rock.",
       "InsufficientCharge"},
      {Refusal::NoFlask, "There is no unused flask under the player.", "NoFlask"},
      {Refusal::ChargeFull, "Charge is full; the flask remains unused.", "ChargeFull"},
      {Refusal::NoPortal, "There is no portal under the player.", "NoPortal"},
      {Refusal::TurnLimit, "This expedition has reached its action limit.", "TurnLimit"},
      {Refusal::Sealed, "This expedition is sealed. Start another with --new.", "Sealed"},
  };
  ASSERT_EQ(errors.size(), kRefusalTexts.size());
  std::set<std::string_view> sentences;
  std::set<std::string_view> names;
  for (const auto& [error, sentence, name] : errors) {
    EXPECT_EQ(message(error), sentence);
    EXPECT_EQ(debug_name(error), name);
    EXPECT_EQ(refusal_of_sentence(sentence), error) << name;
    sentences.insert(sentence);
    names.insert(name);
  }
  EXPECT_EQ(sentences.size(), errors.size());
  EXPECT_EQ(names.size(), errors.size());
  for (const std::string_view other : {"", "The destination is blocked", "Blocked",
                                       "the destination is blocked.", "Unknown command."}) {
    EXPECT_EQ(refusal_of_sentence(other), std::nullopt) << other;
  }
}

TEST(ExpeditionDeathTest, APlayerOffTheFloorStopsTheProgram) {
  sys::report_panics();
  Expedition state(0);
  state.x = 19;
  EXPECT_DEATH(state.apply(parsed("wait")),
               "BurrowLight panicked: the player stays inside the floor");
  Expedition upward(0);
  upward.cells[2 * 19 + 2] = Cell::UpPortal;  // An up portal on the top floor leads nowhere.
  EXPECT_DEATH(upward.apply(parsed("portal")), "the player stays inside the floor");
}

}  // namespace
}  // namespace burrowlight::expedition
