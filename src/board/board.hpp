#pragma once
// burrowlight-board: a long-running service that takes finished runs, verifies them by
// replay, and ranks them on boards, keeping everything in one database.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/database.hpp"
#include "board/service.hpp"
#include "base/error.hpp"

namespace burrowlight::board {

// What the command line asks for.
struct BoardOptions {
  bool help = false;
  bool version = false;
  Endpoint listen{"127.0.0.1", 8780};
  // Empty for the default file in the data directory.
  std::optional<DatabaseAddress> database;
  // The asciinema web player's dist/bundle folder, when not the installed one.
  std::optional<std::string> player;
  // Where the clock starts, for tests and rehearsals.
  std::optional<std::int64_t> clock_start;
};

Result<BoardOptions> scan_board_arguments(const std::vector<std::string>& arguments);

// HOST:PORT, the port from 0 (any free port) to 65535.
std::optional<Endpoint> endpoint_of(std::string_view text);

// The program after its start; returns the exit status.
int run(const std::vector<std::string>& arguments);

}  // namespace burrowlight::board
