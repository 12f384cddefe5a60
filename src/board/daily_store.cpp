#include "board/daily_store.hpp"

#include <array>
#include <charconv>

#include "board/daily.hpp"

namespace burrowlight::board {

namespace {


DailyDay day_of(const Row& row) {
  return {row.text(0), row.text(1), row.text(2), row.unsigned_integer(3), row.integer(4)};
}

DatabaseResult<std::optional<DailyDay>> stored_day(Connection& connection, const std::string& day) {
  const std::array<Value, 1> parameters = {day};
  auto rows = connection.query(
      "SELECT day, secret, commitment, seed, committed_at FROM daily WHERE day = ?", parameters);
  if (!rows) return std::unexpected(rows.error());
  if (rows->empty()) return std::nullopt;
  return day_of(rows->front());
}

}  // namespace

DatabaseResult<DailyDay> ensure_daily_day(Connection& connection, const std::string& day,
                                          std::int64_t now) {
  auto stored = stored_day(connection, day);
  if (!stored) return std::unexpected(stored.error());
  if (*stored) return **stored;
  auto drawn = draw_daily_secret(day);
  if (!drawn) return std::unexpected(DatabaseError{Failure::Unavailable, drawn.error().text()});
  const std::array<Value, 5> parameters = {drawn->day, drawn->secret, drawn->commitment,
                                           std::to_string(drawn->seed), now};
  // Another board process may have drawn the day meanwhile: its secret stays.
  auto inserted = connection.query(
      "INSERT INTO daily (day, secret, commitment, seed, committed_at) VALUES (?, ?, ?, ?, ?) "
      "ON CONFLICT (day) DO NOTHING",
      parameters);
  if (!inserted) return std::unexpected(inserted.error());
  stored = stored_day(connection, day);
  if (!stored) return std::unexpected(stored.error());
  if (!*stored) return std::unexpected(DatabaseError{Failure::Unavailable, "the daily secret was not stored"});
  return **stored;
}

DatabaseResult<std::vector<DailyDay>> daily_days(Connection& connection, const std::string& first,
                                                 const std::string& last) {
  const std::array<Value, 2> parameters = {first, last};
  auto rows = connection.query(
      "SELECT day, secret, commitment, seed, committed_at FROM daily WHERE day >= ? AND day <= ? "
      "ORDER BY day",
      parameters);
  if (!rows) return std::unexpected(rows.error());
  std::vector<DailyDay> days;
  for (const Row& row : *rows) days.push_back(day_of(row));
  return days;
}

}  // namespace burrowlight::board
