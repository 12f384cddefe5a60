#pragma once
// Checks what a headless mode wrote: every line must be one JSON object, since the
// program on the other end parses each reply line on its own.

#include <string_view>

namespace burrowlight::fuzz {

// Aborts unless `written` is a sequence of lines, each ending in a line feed and each
// holding one JSON object.
void check_reply_lines(std::string_view written);

}  // namespace burrowlight::fuzz
