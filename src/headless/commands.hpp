#pragma once
// How the headless protocols read a command line before they compare it with their words.

#include <string>
#include <string_view>

namespace burrowlight::headless {

// Unicode white space trimmed at both ends, ASCII capitals lowered, everything else
// unchanged.
std::string normalize_command(std::string_view line);

}  // namespace burrowlight::headless
