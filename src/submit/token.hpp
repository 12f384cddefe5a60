#pragma once
// A player's board token: from a file that only its owner can read or write (mode 0600),
// or from the environment variable BURROWLIGHT_BOARD_TOKEN.

#include <optional>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::submit {

// Null-terminated, for getenv.
inline constexpr std::string_view kTokenVariable = "BURROWLIGHT_BOARD_TOKEN";

// 64 lowercase hexadecimal digits, and a line end after them in a file.
std::optional<std::string> token_of(std::string_view text);

// The token in the file at `path`, which must be a regular file of mode 0600.
Result<std::string> token_from_file(const std::string& path);

// The token the environment holds in `value` (the variable's value, if set).
Result<std::string> token_from_environment(const char* value);

}  // namespace burrowlight::submit
