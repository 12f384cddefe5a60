#pragma once
// The daily challenge's secrets, fixed in advance and checkable by anyone with sha256sum:
// a day's 32-byte secret is drawn from the operating system, and until the day starts
// only its commitment is public, the SHA-256 of a text that holds the day and the
// secret. The day's practice seed comes from the SHA-256 of another text with the same
// secret, so the commitment says nothing about the seed, and once the secret is revealed
// both follow from it (the commands are in docs/board.md):
//
//     printf '%s' "burrowlight-daily-commitment DAY SECRET" | sha256sum   -> the commitment
//     printf '%s' "burrowlight-daily-seed DAY SECRET" | sha256sum        -> first 16 digits: the seed

#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::board {

// How many days after today have their commitment published.
inline constexpr int kCommittedDaysAhead = 7;

struct DailySecret {
  std::string day;
  // 64 lowercase hexadecimal digits.
  std::string secret;
  std::string commitment;
  std::uint64_t seed;
};

// The commitment and the seed of `secret` (in hex) on `day`.
DailySecret daily_secret(std::string_view day, std::string_view secret);

// A fresh secret for `day`, drawn from the operating system.
Result<DailySecret> draw_daily_secret(std::string_view day);

// SHA-256 of `bytes` in lowercase hex.
std::string sha256_hex(std::string_view bytes);

}  // namespace burrowlight::board
