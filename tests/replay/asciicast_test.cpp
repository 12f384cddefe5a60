// The lines of an asciicast: the header as the format defines it, and output events with
// their times to the microsecond and their terminal bytes escaped as JSON strings.

#include "replay/asciicast.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace burrowlight::replay {
namespace {

TEST(Asciicast, HeaderNamesTheSizeTitleAndEnvironment) {
  headless::JsonWriter out;
  EXPECT_EQ(header_line(out, {120, 40, "Run \"7\": score 3"}),
            "{\"version\":2,\"width\":120,\"height\":40,\"title\":\"Run \\\"7\\\": score 3\","
            "\"env\":{\"TERM\":\"xterm-256color\",\"SHELL\":\"/bin/sh\"}}\n");
}

TEST(Asciicast, EventsKeepEveryMicrosecondAndEscapeControlBytes) {
  struct Case {
    std::uint64_t microseconds;
    std::string text;
    std::string line;
  };
  const std::vector<Case> cases = {
      {0, "", "[0.000000,\"o\",\"\"]\n"},
      {31'250, "\x1b[1;1H\x1b[38;2;5;7;13m·",
       "[0.031250,\"o\",\"\\u001b[1;1H\\u001b[38;2;5;7;13m·\"]\n"},
      {2'250'000, "╭─ \"A\" \\ ─╮", "[2.250000,\"o\",\"╭─ \\\"A\\\" \\\\ ─╮\"]\n"},
      {130'000'001, "\r\n\t\x7f", "[130.000001,\"o\",\"\\r\\n\\t\x7f\"]\n"},
  };
  headless::JsonWriter out;
  for (const Case& c : cases) {
    EXPECT_EQ(output_event_line(out, c.microseconds, c.text), c.line) << c.microseconds;
  }
}

}  // namespace
}  // namespace burrowlight::replay
