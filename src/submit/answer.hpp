#pragma once
// The board's address as the command line gives it, and the board's answers as the
// program reports them.

#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::submit {

// http://HOST[:PORT] or https://HOST[:PORT], with at most a "/" after it; the board's
// addresses are under it.
Result<std::string> board_origin(std::string_view url);

// What a 201 says: the run's rank on each board it joined, then the address of its page.
Result<std::string> accepted_text(std::string_view body, const std::string& origin);

// A refusal as one line: the status and the board's sentence, with no character that
// could act on a terminal.
Error refusal_error(int status, std::string_view body);

}  // namespace burrowlight::submit
