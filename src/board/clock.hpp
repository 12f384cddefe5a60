#pragma once
// The board's time: the system's, or for tests and rehearsals a clock that starts at a
// chosen moment and runs on from there. Moments are microseconds since 1970 in UTC;
// days are UTC days, written YYYY-MM-DD.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace burrowlight::board {

inline constexpr std::int64_t kMicrosecondsPerDay = 86'400'000'000;

class Clock {
 public:
  // The system's clock, or one that reads `start` now and runs on at the system's pace.
  explicit Clock(std::optional<std::int64_t> start = std::nullopt);

  std::int64_t now() const;

 private:
  std::int64_t offset_ = 0;
};

// "2026-12-09T09:41:12.123456Z".
std::string timestamp_text(std::int64_t moment);
// "2026-12-09" for any moment of that day.
std::string day_text(std::int64_t moment);
// The first moment of a day given as YYYY-MM-DD, if it is a real date from 1970 to 9999.
std::optional<std::int64_t> day_start(std::string_view day);
// A moment given as YYYY-MM-DDTHH:MM:SSZ.
std::optional<std::int64_t> parse_timestamp(std::string_view text);

}  // namespace burrowlight::board
