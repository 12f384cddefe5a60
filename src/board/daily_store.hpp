#pragma once
// The daily secrets in the database: a day's secret is drawn once, by whichever board
// process asks first, and never replaced.

#include <optional>
#include <string>
#include <vector>

#include "board/database.hpp"
#include "board/records.hpp"

namespace burrowlight::board {

// The day's row, drawing and storing its secret if it has none yet.
DatabaseResult<DailyDay> ensure_daily_day(Connection& connection, const std::string& day,
                                          std::int64_t now);

// The stored days from `first` to `last` (YYYY-MM-DD, both included), in order.
DatabaseResult<std::vector<DailyDay>> daily_days(Connection& connection, const std::string& first,
                                                 const std::string& last);

}  // namespace burrowlight::board
