// A saved run told again: the states of a timeline are those a session went through, and
// its trajectory is, byte for byte, what the real headless loop writes for a fresh save of
// the same record fed the saved actions' words (and "finish" for a sealed one).

#include "replay/timeline.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/expedition_loop.hpp"
#include "app/save.hpp"
#include "app/session.hpp"
#include "replay/trajectory.hpp"
#include "support/files.hpp"

namespace burrowlight::replay {
namespace {

using expedition::Action;
using expedition::Run;

// A valid record of `length` accepted actions drawn at random, sealed or not. Refused
// draws are dropped, as the game drops them; waiting is accepted until the limit.
Record random_record(Record record, std::size_t length, bool sealed, std::mt19937& random) {
  auto run = Run::start(record);
  if (!run) ADD_FAILURE() << run.error();
  std::uniform_int_distribution<int> code(1, 11);
  while (run && run->record().actions.size() < length) {
    std::optional<Action> action = Action::from_code(static_cast<std::uint8_t>(code(random)));
    auto next = run->after(*action);
    if (!next) next = run->after(Action{expedition::Wait{}});
    if (!next) break;
    run = std::move(next->run);
  }
  Record played = run ? run->record() : record;
  played.finished = sealed;
  return played;
}

// What the headless expedition writes for a fresh save of the record's seed and secret
// fed the words of its actions, then "finish" when it is sealed.
std::string headless_replies(const Record& record) {
  test_support::TemporaryDirectory directory("burrowlight-trajectory",
                                             test_support::Medium::Memory);
  const std::string path = (directory.path() / "expedition.json").string();
  Record fresh = record;
  fresh.actions.clear();
  fresh.finished = false;
  if (auto written = Save::write(path, fresh); !written) ADD_FAILURE() << written.error().text();
  auto opened = Save::open(path, false, std::nullopt);
  if (!opened) ADD_FAILURE() << opened.error().text();
  auto session = expedition::Session::create(std::move(opened->first), std::move(opened->second));
  if (!session) ADD_FAILURE() << session.error().text();

  std::string words;
  for (std::uint8_t code : record.actions) {
    words += Action::from_code(code)->word();
    words += '\n';
  }
  if (record.finished) words += "finish\n";
  StringInput input(words);
  StringOutput output;
  if (auto ran = headless::run_expedition(std::move(*session), input, output); !ran) {
    ADD_FAILURE() << ran.error().text();
  }
  return output.bytes();
}

std::string trajectory(const Timeline& timeline) {
  StringOutput output;
  if (auto written = write_trajectory(timeline, output); !written) {
    ADD_FAILURE() << written.error().text();
  }
  return output.bytes();
}

record::Secret secret_from(std::mt19937& random) {
  record::Secret secret;
  for (std::uint8_t& byte : secret) byte = static_cast<std::uint8_t>(random());
  return secret;
}

TEST(Timeline, HoldsEveryStateASessionWentThroughAndEndsOnTheSavedRecord) {
  std::mt19937 random(20261208);
  struct Case {
    std::size_t length;
    bool sealed;
  };
  for (const Case c : {Case{0, false}, Case{0, true}, Case{40, false}, Case{40, true}}) {
    SCOPED_TRACE(testing::Message() << c.length << " actions, sealed " << c.sealed);
    const Record record = random_record(Record::practice(7), c.length, c.sealed, random);
    const Timeline timeline = Timeline::of(record);

    EXPECT_EQ(timeline.action_count(), c.length);
    EXPECT_EQ(timeline.last(), c.length + (c.sealed ? 1 : 0));
    EXPECT_EQ(timeline.is_seal(timeline.last()), c.sealed);
    EXPECT_FALSE(timeline.is_seal(c.length));
    EXPECT_EQ(timeline.at(0).run, *Run::start(Record::practice(7)));
    EXPECT_FALSE(timeline.at(0).event.has_value());
    for (std::size_t step = 1; step <= c.length; ++step) {
      EXPECT_EQ(timeline.at(step).run.expedition().turns, step);
      EXPECT_TRUE(timeline.at(step).event.has_value());
    }
    EXPECT_EQ(timeline.at(timeline.last()).run.record(), record);
    EXPECT_EQ(timeline.at(timeline.last()).run.expedition(), *record.replay());
  }
}

TEST(Trajectory, IsWhatTheHeadlessExpeditionWritesForTheSameWords) {
  std::mt19937 random(20261209);
  struct Case {
    bool practice;
    std::size_t length;
    bool sealed;
  };
  const std::vector<Case> cases = {
      {true, 0, false},   {true, 0, true},     {false, 0, false},
      {false, 1, true},   {true, 120, false},  {true, 300, true},
      {false, 200, true}, {false, 512, false}, {true, 512, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.practice ? "practice, " : "normal, ") << c.length
                                    << " actions, sealed " << c.sealed);
    const Record start = c.practice ? Record::practice(random()) : Record(secret_from(random));
    const Record record = random_record(start, c.length, c.sealed, random);
    const std::string expected = headless_replies(record);
    EXPECT_EQ(trajectory(Timeline::of(record)), expected);
    EXPECT_EQ(static_cast<std::size_t>(std::ranges::count(expected, '\n')),
              1 + c.length + (c.sealed ? 1 : 0));
  }
}

}  // namespace
}  // namespace burrowlight::replay
