#pragma once
// Command-line arguments as every program of the project meets them: bytes that need
// not be UTF-8, quoted readably in messages, and the plain shape of the command lines
// of the tools beside the game (a few options, some with a value, then save paths).

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace burrowlight {

// The argument in double quotes with control characters and invalid bytes escaped,
// so that whatever was typed shows up readable on one line of standard error.
std::string quote_argument(std::string_view argument);

// An option that takes the argument after it as its value, whatever that looks like;
// `requirement` is the message when nothing follows it.
struct ValuedOption {
  std::string_view name;
  std::string_view requirement;
};

struct OptionValue {
  std::string option;
  std::string value;

  bool operator==(const OptionValue&) const = default;
};

// What a tool's command line asks for: its usage text, its version line, or a run with
// these options (each one of the known ones, in the order given), option values and
// operands.
struct ToolArguments {
  bool help = false;
  std::vector<std::string> options;
  std::vector<OptionValue> values;
  std::vector<std::string> operands;
  bool version = false;

  bool operator==(const ToolArguments&) const = default;
};

// Reads a tool's command line from left to right, stopping at "-h" or "--help" and at
// "-V" or "--version", as the game's own command line does.
// Arguments that start with "-" are options, `known` ones, `valued` ones with the next
// argument as their value, or an error; "--" ends the options, so that a save path may
// start with "-", and "-" alone is a path.
Result<ToolArguments> scan_tool_arguments(const std::vector<std::string>& arguments,
                                          std::span<const std::string_view> known,
                                          std::span<const ValuedOption> valued = {});

}  // namespace burrowlight
