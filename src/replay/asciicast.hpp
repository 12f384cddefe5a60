#pragma once
// The asciicast v2 format, in which terminal recordings are shared and which the asciinema
// player plays: a header line with the terminal's size and a title, then one line per
// output event, [seconds, "o", text]; every line is one JSON value.

#include <cstdint>
#include <string_view>

#include "headless/json_writer.hpp"

namespace burrowlight::replay {

struct CastHeader {
  std::uint16_t width;
  std::uint16_t height;
  std::string_view title;
};

// The lines as text in `out`'s memory, each with its line feed; valid until `out` is
// used again. The texts are the program's own, so always UTF-8.
std::string_view header_line(headless::JsonWriter& out, const CastHeader& header);
std::string_view output_event_line(headless::JsonWriter& out, std::uint64_t microseconds,
                                   std::string_view text);

}  // namespace burrowlight::replay
