// The timing of a recording: the first step held, one step a period, the last step held,
// frames only where the screen changes, the terminal given back at the end, and a
// failure of whoever takes the frames ending the recording. What the frames show is
// compared with the replay in a terminal.

#include "replay/recording.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/timeline.hpp"

namespace burrowlight::replay {
namespace {

// A practice run on seed 0: east, south, then the flask under the player.
Timeline short_run(bool sealed) {
  Record record = Record::practice(0);
  for (std::string_view word : {"east", "south", "interact"}) {
    record.actions.push_back(expedition::Action::parse(word)->code());
  }
  record.finished = sealed;
  return Timeline::of(record);
}

struct Taken {
  std::uint64_t microseconds;
  std::string bytes;
};

std::vector<Taken> frames_of(const Timeline& timeline, const RecordingSettings& settings) {
  std::vector<Taken> taken;
  auto recorded = record_frames(timeline, settings, [&](const TimedFrame& frame) -> Result<void> {
    taken.push_back({frame.microseconds, std::string(frame.bytes)});
    return {};
  });
  EXPECT_TRUE(recorded);
  return taken;
}

bool has_frame_at(const std::vector<Taken>& frames, std::uint64_t microseconds) {
  return std::ranges::any_of(frames, [&](const Taken& frame) {
    return frame.microseconds == microseconds && !frame.bytes.empty();
  });
}

TEST(Recording, StepsComeOneAPeriodBetweenTwoHolds) {
  struct Case {
    bool sealed;
    unsigned speed;
  };
  for (const Case c : {Case{false, 1}, Case{true, 4}, Case{false, 32}}) {
    const Timeline timeline = short_run(c.sealed);
    const std::vector<Taken> frames = frames_of(timeline, {{100, 32}, c.speed, false});
    const std::uint64_t period = 1'000'000 / c.speed;
    const std::uint64_t hold = kHoldSeconds * c.speed;

    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().microseconds, 0U);
    EXPECT_TRUE(frames.front().bytes.starts_with("\x1b[?25l\x1b[2J\x1b[H\x1b[?2026h"));
    // Each step's footer changes, so each step has a frame of its own at its time.
    for (std::size_t step = 1; step <= timeline.last(); ++step) {
      EXPECT_TRUE(has_frame_at(frames, (hold + step - 1) * period)) << step << " at " << c.speed;
    }
    EXPECT_EQ(frames.back().microseconds, (timeline.last() + 2 * hold - 1) * period);
    // The terminal is given back: plain attributes, the cursor shown and below the frame.
    EXPECT_TRUE(frames.back().bytes.ends_with("\x1b[0m\x1b[?25h\x1b[32;1H\r\n"));
    for (std::size_t index = 1; index < frames.size(); ++index) {
      EXPECT_GT(frames[index].microseconds, frames[index - 1].microseconds);
      EXPECT_EQ(frames[index].microseconds % period, 0U);
      EXPECT_TRUE(!frames[index].bytes.empty() || index + 1 == frames.size());
    }
  }
}

TEST(Recording, AFailureOfTheTakerEndsTheRecordingWithIt) {
  int calls = 0;
  auto recorded = record_frames(short_run(false), {}, [&](const TimedFrame&) -> Result<void> {
    if (++calls == 2) return std::unexpected(Error::os(32, "Broken pipe"));
    return {};
  });
  ASSERT_FALSE(recorded);
  EXPECT_EQ(recorded.error().text(), "Broken pipe (os error 32)");
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace burrowlight::replay
