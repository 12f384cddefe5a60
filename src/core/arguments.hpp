#pragma once
// Command-line arguments as every program of the project meets them: bytes that need
// not be UTF-8, quoted readably in messages, and the plain shape of the command lines
// of the tools beside the game (a few options without values, then save paths).

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.hpp"

namespace burrowlight {

// The argument in double quotes with control characters and invalid bytes escaped,
// so that whatever was typed shows up readable on one line of standard error.
std::string quote_argument(std::string_view argument);

// What a tool's command line asks for: its usage text, or a run with these options
// (each one of the known ones, in the order given) and operands.
struct ToolArguments {
  bool help = false;
  std::vector<std::string> options;
  std::vector<std::string> operands;

  bool operator==(const ToolArguments&) const = default;
};

// Reads a tool's command line from left to right, stopping at "-h" or "--help".
// Arguments that start with "-" are options, `known` ones or an error; "--" ends the
// options, so that a save path may start with "-", and "-" alone is a path.
Result<ToolArguments> scan_tool_arguments(const std::vector<std::string>& arguments,
                                          std::span<const std::string_view> known);

}  // namespace burrowlight
