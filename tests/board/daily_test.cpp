// The daily secrets and the board's calendar: known values that anyone can recompute
// with sha256sum, and the UTC days the clock reads.

#include <gtest/gtest.h>

#include <string>

#include "board/clock.hpp"
#include "board/daily.hpp"

namespace burrowlight::board {
namespace {

TEST(BoardDaily, CommitmentAndSeedAreTheDigestsOfTheirTexts) {
  // printf '%s' "burrowlight-daily-commitment 2030-01-02 000…0" | sha256sum, and the same
  // with burrowlight-daily-seed, whose first 16 digits are the seed.
  const DailySecret daily = daily_secret("2030-01-02", std::string(64, '0'));
  EXPECT_EQ(daily.commitment, "6c777b8afdec889b859d9e3dfba17e3949bcc7969ab4b8a86f15fd649d4a7e07");
  EXPECT_EQ(daily.seed, 0xb0e8cd7b6b896167u);
}

TEST(BoardDaily, DrawnSecretsDifferAndCheckThemselves) {
  const auto first = draw_daily_secret("2030-01-02");
  const auto second = draw_daily_secret("2030-01-02");
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->secret, second->secret);
  EXPECT_EQ(first->secret.size(), 64u);
  EXPECT_EQ(daily_secret("2030-01-02", first->secret).commitment, first->commitment);
  EXPECT_NE(daily_secret("2030-01-03", first->secret).commitment, first->commitment);
}

TEST(BoardClock, DaysAndTimestampsInUtc) {
  const std::pair<std::string_view, std::optional<std::int64_t>> moments[] = {
      {"1970-01-01T00:00:00Z", 0},
      {"2030-01-02T00:00:05Z", 1'893'542'405'000'000},
      {"2024-02-29T23:59:59Z", 1'709'251'199'000'000},
      {"2023-02-29T00:00:00Z", std::nullopt},
      {"2030-01-02T24:00:00Z", std::nullopt},
      {"2030-01-02 00:00:00Z", std::nullopt},
      {"1969-12-31T23:59:59Z", std::nullopt},
  };
  for (const auto& [text, moment] : moments) EXPECT_EQ(parse_timestamp(text), moment) << text;
  EXPECT_EQ(timestamp_text(1'893'542'405'000'123), "2030-01-02T00:00:05.000123Z");
  EXPECT_EQ(day_text(1'893'542'405'000'000), "2030-01-02");
  EXPECT_EQ(day_text(1'893'542'400'000'000 - 1), "2030-01-01");
  EXPECT_EQ(day_start("2030-01-02"), 1'893'542'400'000'000);
}

TEST(BoardClock, AStartedClockRunsOnFromItsStart) {
  const Clock clock(1'893'542'405'000'000);
  const std::int64_t now = clock.now();
  EXPECT_GE(now, 1'893'542'405'000'000);
  EXPECT_LT(now, 1'893'542'405'000'000 + 60'000'000);
}

}  // namespace
}  // namespace burrowlight::board
