#include "replay/asciicast.hpp"

namespace burrowlight::replay {

namespace {

// The frames come from no shell and no terminal of their own, so the environment is a
// fixed one that suits them: a terminal type a player takes for colour, and a plain shell.
constexpr std::string_view kTerminalType = "xterm-256color";
constexpr std::string_view kShell = "/bin/sh";

constexpr std::uint64_t kMicrosecondsPerSecond = 1'000'000;

// Seconds with six decimals, from whole microseconds, so that no time is rounded.
void seconds(headless::JsonWriter& out, std::uint64_t microseconds) {
  out.integer(microseconds / kMicrosecondsPerSecond);
  out.raw('.');
  const std::uint64_t fraction = microseconds % kMicrosecondsPerSecond;
  for (std::uint64_t digit = kMicrosecondsPerSecond / 10; digit > 0; digit /= 10) {
    out.raw(static_cast<char>('0' + fraction / digit % 10));
  }
}

}  // namespace

std::string_view header_line(headless::JsonWriter& out, const CastHeader& header) {
  out.clear();
  out.raw("{\"version\":2,\"width\":");
  out.integer(header.width);
  out.raw(",\"height\":");
  out.integer(header.height);
  out.raw(",\"title\":");
  out.string(header.title);
  out.raw(",\"env\":{\"TERM\":");
  out.string(kTerminalType);
  out.raw(",\"SHELL\":");
  out.string(kShell);
  out.raw("}}\n");
  return out.text();
}

std::string_view output_event_line(headless::JsonWriter& out, std::uint64_t microseconds,
                                   std::string_view text) {
  out.clear();
  out.raw('[');
  seconds(out, microseconds);
  out.raw(",\"o\",");
  out.string(text);
  out.raw("]\n");
  return out.text();
}

}  // namespace burrowlight::replay
