#pragma once
// The checks of a request that need neither the network nor the database: its body's
// headers, a new player's name, the bearer token, the paging of a board. Each refusal
// is a status and the one sentence the client reads.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "board/submission.hpp"

namespace burrowlight::board {

// Larger bodies are refused before they are read: a save's limit for runs, and a little
// for a new player's name.
inline constexpr std::size_t kPlayerBodyLimit = 1024;

inline constexpr std::int64_t kDefaultLimit = 50;
inline constexpr std::int64_t kLargestLimit = 500;
inline constexpr std::size_t kLongestName = 32;

// What a body's headers say: its type, its length, and whether it comes in chunks.
struct BodyHeaders {
  std::optional<std::string_view> content_type;
  std::optional<std::string_view> content_length;
  bool chunked;
};

// Refuses a body of the wrong type (415), of no stated length (411) or longer than
// `limit` (413), before anything of it is read.
std::optional<Refusal> check_body_headers(const BodyHeaders& headers, std::size_t limit);

// The name in {"name": NAME}: 1 to 32 of the letters A-Z and a-z, the digits, space,
// ".", "-" and "_", neither starting nor ending with a space.
std::expected<std::string, Refusal> player_name_of(std::string_view body);

// The token of "Authorization: Bearer TOKEN" (401 when it is missing or malformed).
std::expected<std::string, Refusal> bearer_token(std::optional<std::string_view> authorization);

struct Paging {
  std::int64_t limit;
  std::int64_t offset;
};

std::expected<Paging, Refusal> paging_of(std::optional<std::string_view> limit,
                                         std::optional<std::string_view> offset);

// The page of a board's page, ?page=N, from 1 (the first when absent).
std::expected<std::int64_t, Refusal> page_number_of(std::optional<std::string_view> page);

// A run's id in its address: a whole number from 1.
std::optional<std::int64_t> run_id(std::string_view digits);

// A seed in decimal, as the game takes it with --seed (400 otherwise).
std::expected<std::uint64_t, Refusal> seed_of(std::string_view digits);

// A day in its address, YYYY-MM-DD (400 otherwise).
std::expected<std::string, Refusal> day_of(std::string_view text);

// The refusals that the JSON addresses and the pages share.
Refusal no_such_run();
Refusal no_longer_replays();

}  // namespace burrowlight::board
