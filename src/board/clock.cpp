#include "board/clock.hpp"

#include <charconv>
#include <cstdio>

namespace burrowlight::board {

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

std::int64_t system_now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::optional<int> digits(std::string_view text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t index = from; index < from + count; ++index) {
    if (index >= text.size() || text[index] < '0' || text[index] > '9') return std::nullopt;
    value = value * 10 + (text[index] - '0');
  }
  return value;
}

}  // namespace

Clock::Clock(std::optional<std::int64_t> start) {
  if (start) offset_ = *start - system_now();
}

std::int64_t Clock::now() const { return system_now() + offset_; }

std::string day_text(std::int64_t moment) {
  const std::int64_t day = moment >= 0 ? moment / kMicrosecondsPerDay
                                       : (moment - kMicrosecondsPerDay + 1) / kMicrosecondsPerDay;
  const year_month_day date{sys_days{days{day}}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

std::string timestamp_text(std::int64_t moment) {
  const std::int64_t within_day = ((moment % kMicrosecondsPerDay) + kMicrosecondsPerDay) %
                                  kMicrosecondsPerDay;
  const std::int64_t seconds = within_day / 1'000'000;
  char text[40];
  std::snprintf(text, sizeof text, "%sT%02lld:%02lld:%02lld.%06lldZ", day_text(moment).c_str(),
                static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                static_cast<long long>(seconds % 60),
                static_cast<long long>(within_day % 1'000'000));
  return text;
}

std::optional<std::int64_t> day_start(std::string_view day) {
  if (day.size() != 10 || day[4] != '-' || day[7] != '-') return std::nullopt;
  const auto year = digits(day, 0, 4);
  const auto month = digits(day, 5, 2);
  const auto of_month = digits(day, 8, 2);
  if (!year || !month || !of_month || *year < 1970) return std::nullopt;
  const year_month_day date{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                            std::chrono::day{static_cast<unsigned>(*of_month)}};
  if (!date.ok()) return std::nullopt;
  return static_cast<std::int64_t>(sys_days{date}.time_since_epoch().count()) * kMicrosecondsPerDay;
}

std::optional<std::int64_t> parse_timestamp(std::string_view text) {
  if (text.size() != 20 || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
      text[19] != 'Z') {
    return std::nullopt;
  }
  const auto start = day_start(text.substr(0, 10));
  const auto hours = digits(text, 11, 2);
  const auto minutes = digits(text, 14, 2);
  const auto seconds = digits(text, 17, 2);
  if (!start || !hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  return *start + ((*hours * 60LL + *minutes) * 60LL + *seconds) * 1'000'000LL;
}

}  // namespace burrowlight::board
