#pragma once
// What the board takes from a submitted body before it touches the database: the save
// opened by the one save opener, as burrowlight-verify opens it (so a refusal is
// verify's sentence), then only a sealed run. Pure: bytes in, a run or a refusal out, so
// that the whole check is fuzzed without a server or a database.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace burrowlight::board {

// An HTTP status and the sentence the client reads in {"error": sentence}.
struct Refusal {
  int status;
  std::string sentence;
};

// A sealed run as the board keeps it: its figures, the same as burrowlight-verify gives
// for the file, and the submitted bytes unchanged.
struct CheckedRun {
  bool practice;
  std::uint64_t seed;
  std::optional<std::string> expedition_id;
  std::uint64_t score;
  std::uint64_t depth;
  std::uint64_t turns;
  // Accepted actions, the second key of the board order.
  std::uint64_t actions;
  bool finished;
  // SHA-256 of the bytes: the same run handed in twice is on the board once.
  std::string content_hash;
  std::string save;
};

std::expected<CheckedRun, Refusal> check_submission(std::string_view body);

}  // namespace burrowlight::board
