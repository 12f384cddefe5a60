// The expedition run as a value: its greeting, what each accepted action logs, the map
// memory of every floor, the action limit, sealing, and that a record rebuilds the same
// run whatever way it was played.

#include "core/expedition_run.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/expedition_world.hpp"

namespace burrowlight::expedition {
namespace {

// Inside a test body the bare name would be the test fixture's own Run().
using ExpeditionRun = Run;
using Lines = std::vector<std::string>;

const std::string kFirstLine = "Every floor has a way back. Remember where you came from.";
const std::string kOpenLine =
    "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its current "
    "score.";
const std::string kPracticeLine = "Practice world: the same seed recreates the same expedition.";

Action word(std::string_view text) {
  std::optional<Action> action = Action::parse(text);
  if (!action) ADD_FAILURE() << "not an action word: " << text;
  return action.value_or(Action{Wait{}});
}

ExpeditionRun started(const Record& record) {
  auto run = Run::start(record);
  if (!run) {
    ADD_FAILURE() << run.error();
    std::abort();
  }
  return std::move(*run);
}

Lines log_of(const ExpeditionRun& run) {
  Lines lines;
  for (std::size_t index = 0; index < run.log_lines().size(); ++index) {
    lines.push_back(run.log_lines()[index].text());
  }
  return lines;
}

void play(ExpeditionRun& run, const std::vector<std::string_view>& words) {
  for (std::string_view text : words) {
    auto next = run.after(word(text));
    ASSERT_TRUE(next) << text << " at turn " << run.expedition().turns << ": "
                      << message(next.error());
    run = std::move(next->run);
  }
}

std::string_view refusal(const ExpeditionRun& run, std::string_view text) {
  auto next = run.after(word(text));
  if (next) ADD_FAILURE() << text << " was accepted";
  return next ? "(accepted)" : message(next.error());
}

TEST(ExpeditionRun, AFreshRecordLogsItsGreetingAndAPracticeRecordSaysSo) {
  record::Secret secret{};
  EXPECT_EQ(log_of(started(Record(secret))), (Lines{kFirstLine, kOpenLine}));
  EXPECT_EQ(log_of(started(Record::practice(7))), (Lines{kFirstLine, kOpenLine, kPracticeLine}));
}

TEST(ExpeditionRun, ARefusalIsASentenceAndTheRunStaysAsItWas) {
  ExpeditionRun run = started(Record::practice(0));
  play(run, {"north"});
  const ExpeditionRun before = run;
  EXPECT_EQ(refusal(run, "north"), "The destination is blocked.");
  EXPECT_EQ(run, before);
  EXPECT_EQ(run.record().actions, (std::vector<std::uint8_t>{1}));
  EXPECT_EQ(run.expedition().turns, 1u);
}

TEST(ExpeditionRun, EveryEventWithALineLogsItAndEachFloorKeepsItsOwnMemory) {
  ExpeditionRun run = started(Record::practice(0));
  const std::vector<std::pair<std::vector<std::string_view>, std::string_view>> steps = {
      {{"east", "south", "interact"}, "Ember returns to the drill: +4 charge."},
      {{"east", "east", "dig-east"}, "The vein breaks. Spent 2 charge."},
      {{"east", "east", "north", "north"}, "A crystal sings: +1 score. Saved."},
      {{"south", "south", "east",  "east",  "east",  "east",  "dig-east",
        "east",  "east",  "east",  "east",  "south", "south", "dig-south",
        "south", "south", "south", "south", "west",  "west",  "dig-west",
        "west",  "west",  "west",  "west",  "west",  "west",  "dig-west",
        "west",  "west",  "west",  "west",  "west",  "south", "portal"},
       "Depth 2. The passage behind you remains open."},
  };
  for (const auto& [words, last_line] : steps) {
    play(run, words);
    EXPECT_EQ(log_of(run).back(), last_line);
  }
  EXPECT_EQ(run.expedition().floor, 1u);
  EXPECT_EQ(run.expedition().score, 1u);
  const CellSet upper_floor = run.explored(0);
  const CellSet lower_floor = run.explored(1);

  play(run, {"portal"});
  EXPECT_EQ(log_of(run).back(), "Depth 1. The passage behind you remains open.");
  EXPECT_EQ(run.explored(0), upper_floor);
  EXPECT_EQ(run.explored(1), lower_floor);
  EXPECT_EQ(std::pair(run.expedition().x, run.expedition().y), std::pair(2, 10));
}

TEST(ExpeditionRun, StartingFromItsRecordRebuildsTheStateTheMapMemoryAndTheWorld) {
  // Random play over many seeds: every accepted action may move the player and so add to
  // the memory, which only a replay with a look around after each action can rebuild. The
  // log is the one part a started run begins afresh.
  const auto lasting = [](const ExpeditionRun& run) {
    return std::tuple(run.record(), run.expedition(), run.in_view(), run.explored(0),
                      run.explored(1), run.explored(2));
  };
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> code(1, 11);
  for (std::uint64_t seed = 0; seed < 40; ++seed) {
    SCOPED_TRACE(seed);
    ExpeditionRun run = started(Record::practice(seed * 0x9E3779B97F4A7C15ULL));
    for (int attempt = 0; attempt < 120; ++attempt) {
      if (auto next = run.after(*Action::from_code(static_cast<std::uint8_t>(code(random))))) {
        run = std::move(next->run);
      }
    }
    EXPECT_EQ(lasting(started(run.record())), lasting(run));
  }
}

TEST(ExpeditionRun, TheLastActionLogsItsLineThenTheLimitAndTheNextIsRefused) {
  Record record = Record::practice(0);
  record.actions = {4, 2};  // east, south: onto the flask at (3, 3)
  record.actions.resize(511, 11);
  ExpeditionRun run = started(record);
  play(run, {"interact"});
  EXPECT_EQ(run.expedition().turns, 512u);
  const Lines log = log_of(run);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "Ember returns to the drill: +4 charge.");
  EXPECT_EQ(log.back(), "Action limit reached. Press F to seal your result; Q saves and exits.");
  EXPECT_EQ(refusal(run, "wait"), "This expedition has reached its action limit.");
  ASSERT_TRUE(run.after_finish());
  EXPECT_TRUE(run.after_finish()->record().finished);
}

TEST(ExpeditionRun, FinishingSealsOnceAndThenRefusesEveryAction) {
  ExpeditionRun run = started(Record::practice(0));
  play(run, {"east", "south", "interact"});
  std::optional<ExpeditionRun> sealed = run.after_finish();
  ASSERT_TRUE(sealed);
  EXPECT_TRUE(sealed->record().finished);
  EXPECT_EQ(sealed->record().actions, run.record().actions);
  EXPECT_EQ(log_of(*sealed).back(),
            "Expedition finished with 0 score. Your progress is saved; start another with --new.");
  EXPECT_FALSE(sealed->after_finish());
  for (std::string_view text : kActionWords)
    EXPECT_EQ(refusal(*sealed, text), message(Refusal::Sealed));

  ExpeditionRun reopened = started(sealed->record());
  EXPECT_TRUE(reopened.record().finished);
  EXPECT_EQ(
      log_of(reopened),
      (Lines{kFirstLine, "Expedition sealed. Your history is saved; start another with --new.",
             kPracticeLine}));
}

TEST(ExpeditionRun, ARecordThatDoesNotReplayIsTheReplaysReason) {
  Record record = Record::practice(0);
  record.actions = {1, 1};
  auto run = ExpeditionRun::start(record);
  ASSERT_FALSE(run);
  EXPECT_EQ(run.error(), "Invalid saved action at step 2: The destination is blocked.");
}

TEST(ExpeditionRun, TheLogKeepsTheLastEightLines) {
  ExpeditionRun run = started(Record::practice(0));
  // The log keeps fixed sentences by reference, as literals like these.
  constexpr std::array<std::string_view, 10> kLines = {"line 1", "line 2", "line 3", "line 4",
                                                       "line 5", "line 6", "line 7", "line 8",
                                                       "line 9", "line 10"};
  for (std::string_view line : kLines) run.log(line);
  EXPECT_EQ(log_of(run), Lines(kLines.begin() + 2, kLines.end()));
}

TEST(ExpeditionRun, AnArrowDigsOnlyIntoATrueVeinSeenOrNot) {
  Expedition expedition(0);
  struct Case {
    std::int32_t x;
    std::int32_t y;
    Direction direction;
    Action expected;
  };
  const std::vector<Case> cases = {
      {2, 2, Direction::North, Action{Move{Direction::North}}},  // ground
      {1, 1, Direction::West, Action{Move{Direction::West}}},    // wall
      {5, 3, Direction::East, Action{Dig{Direction::East}}},     // soft vein
      {15, 5, Direction::South, Action{Dig{Direction::South}}},  // soft vein in the wall row
      {0, 5, Direction::West, Action{Move{Direction::West}}},    // off the floor's edge
      {18, 12, Direction::South, Action{Move{Direction::South}}},
  };
  for (const Case& test : cases) {
    expedition.x = test.x;
    expedition.y = test.y;
    EXPECT_EQ(human_move(expedition, test.direction), test.expected) << test.x << "," << test.y;
  }
  // A run answers from its own expedition: beside the vein at (6, 3) an arrow digs.
  ExpeditionRun run = started(Record::practice(0));
  play(run, {"east", "south", "east"});
  EXPECT_EQ(run.human_move(Direction::East), (Action{Move{Direction::East}}));
  play(run, {"east"});
  EXPECT_EQ(run.human_move(Direction::East), (Action{Dig{Direction::East}}));
}

}  // namespace
}  // namespace burrowlight::expedition
