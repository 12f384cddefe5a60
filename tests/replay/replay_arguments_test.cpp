// The command line of burrowlight-replay: the three outputs, the recording's options in
// any order with the later one winning, and each mistake with what it says.

#include "replay/replay_arguments.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace burrowlight::replay {
namespace {

using Arguments = std::vector<std::string>;

ReplayArguments recording(RecordingSettings settings, Arguments operands = {"s.json"}) {
  return {false, ReplayOutput::Recording, settings, std::move(operands)};
}

TEST(ReplayArguments, ChooseTheOutputAndTheRecordingsLook) {
  const RecordingSettings standard;
  struct Case {
    Arguments arguments;
    ReplayArguments scanned;
  };
  const std::vector<Case> cases = {
      {{"s.json"}, {false, ReplayOutput::Terminal, standard, {"s.json"}}},
      {{"--jsonl", "s.json"}, {false, ReplayOutput::Trajectory, standard, {"s.json"}}},
      {{"--asciicast", "s.json"}, recording(standard)},
      {{"s.json", "--asciicast", "--size", "90x30"}, recording({{90, 30}, 4, false})},
      {{"--asciicast", "--size", "1000x1000", "--speed", "32", "s.json"},
       recording({{1000, 1000}, 32, false})},
      {{"--speed", "1", "--asciicast", "--pixels", "s.json"}, recording({{120, 40}, 1, true})},
      {{"--asciicast", "--pixels", "--glyphs", "--size", "100x30", "--size", "91x31", "s.json"},
       recording({{91, 31}, 4, false})},
      // After "--" an option's name is a path, and help stops the scan where it stands.
      {{"--asciicast", "--", "--size"}, recording(standard, {"--size"})},
      {{"--size", "1x1", "--help"}, {true, ReplayOutput::Terminal, standard, {}}},
      {{"--jsonl", "--version", "--bogus"}, {false, ReplayOutput::Terminal, standard, {}, true}},
      {{"--asciicast", "a.json", "b.json"}, recording(standard, {"a.json", "b.json"})},
  };
  for (const Case& c : cases) {
    auto scanned = scan_replay_arguments(c.arguments);
    ASSERT_TRUE(scanned) << c.arguments.front() << ": " << scanned.error().text();
    EXPECT_EQ(*scanned, c.scanned) << testing::PrintToString(c.arguments);
  }
}

TEST(ReplayArguments, MistakesSayWhatIsWanted) {
  const std::string size_shape = "--size requires COLUMNSxROWS, such as 120x40";
  const std::string size_range =
      "--size must be from 90x30, the game's smallest screen, to 1000x1000";
  const std::string speed = "--speed requires 1, 2, 4, 8, 16 or 32 steps a second";
  const std::string alone = "--size, --speed, --glyphs and --pixels go with --asciicast";
  struct Case {
    Arguments arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--asciicast", "s.json", "--size"}, size_shape},
      {{"--asciicast", "--size", "120", "s.json"}, size_shape},
      {{"--asciicast", "--size", "120X40", "s.json"}, size_shape},
      {{"--asciicast", "--size", "+120x40", "s.json"}, size_shape},
      {{"--asciicast", "--size", "120x40x2", "s.json"}, size_shape},
      {{"--asciicast", "--size", "99999999999x40", "s.json"}, size_shape},
      {{"--asciicast", "--size", "89x30", "s.json"}, size_range},
      {{"--asciicast", "--size", "90x29", "s.json"}, size_range},
      {{"--asciicast", "--size", "1001x40", "s.json"}, size_range},
      {{"--asciicast", "--size", "120x1001", "s.json"}, size_range},
      {{"--asciicast", "s.json", "--speed"}, speed},
      {{"--asciicast", "--speed", "0", "s.json"}, speed},
      {{"--asciicast", "--speed", "3", "s.json"}, speed},
      {{"--asciicast", "--speed", "64", "s.json"}, speed},
      {{"--asciicast", "--speed", "fast", "s.json"}, speed},
      {{"--pixels", "s.json"}, alone},
      {{"--jsonl", "--glyphs", "s.json"}, alone},
      {{"--size", "120x40", "s.json"}, alone},
      {{"--jsonl", "--asciicast", "s.json"}, "--jsonl and --asciicast are two outputs; choose one"},
      {{"--asciicast", "--zoom", "s.json"}, "unknown option \"--zoom\"; use --help"},
  };
  for (const Case& c : cases) {
    auto scanned = scan_replay_arguments(c.arguments);
    ASSERT_FALSE(scanned) << testing::PrintToString(c.arguments);
    EXPECT_EQ(scanned.error().text(), c.message) << testing::PrintToString(c.arguments);
  }
}

}  // namespace
}  // namespace burrowlight::replay
