#include "board/store.hpp"

#include <array>
#include <charconv>
#include <vector>

#include "board/daily.hpp"
#include "board/daily_store.hpp"
#include "board/schema.hpp"
#include "board/sqlite_connection.hpp"
#include "core/expedition_record.hpp"
#include "sys/random.hpp"

namespace burrowlight::board {

namespace {

constexpr std::size_t kTokenBytes = 32;

// The columns of a run as StoredRun holds them, for every query that lists runs.
constexpr std::string_view kRunColumns =
    "SELECT runs.id, players.name, runs.practice, runs.seed, runs.expedition_id, runs.score, "
    "runs.depth, runs.turns, runs.actions, runs.finished, runs.submitted_at, runs.daily "
    "FROM runs JOIN players ON players.id = runs.player_id ";

// The board order: score descending, then fewer accepted actions, then earlier submission
// (and the row number, for two in the same microsecond).
constexpr std::string_view kBoardOrder = " ORDER BY runs.score DESC, runs.actions, runs.submitted_at, runs.id";

std::optional<std::string> optional_text(const Row& row, std::size_t column) {
  if (row.is_null(column)) return std::nullopt;
  return row.text(column);
}

StoredRun run_of(const Row& row) {
  return {row.integer(0),       row.text(1),          row.integer(2) != 0,
          row.unsigned_integer(3), optional_text(row, 4), row.integer(5),
          row.integer(6),       row.integer(7),       row.integer(8),
          row.integer(9) != 0,  row.integer(10),      optional_text(row, 11)};
}

// The WHERE clause of a board, and its parameter.
struct Filter {
  std::string_view sql;
  std::vector<Value> parameters;
};

Filter filter_of(const BoardName& board) {
  switch (board.kind) {
    case BoardKind::Open:
      return {"WHERE runs.practice = 0", {}};
    case BoardKind::Seed:
      return {"WHERE runs.practice = 1 AND runs.seed = ?", {board.key}};
    case BoardKind::Daily:
      return {"WHERE runs.daily = ?", {board.key}};
  }
  return {"WHERE runs.practice = 0", {}};
}

std::string name_key(std::string_view name) {
  std::string key(name);
  for (char& letter : key) {
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  }
  return key;
}

}  // namespace

Result<std::unique_ptr<Store>> Store::open(const DatabaseAddress& address, const Clock& clock) {
  auto writer = connect(address);
  if (!writer) return std::unexpected(writer.error());
  sys::UniqueFd held_file;
  if (!address.is_postgres()) {
    auto held = hold_sqlite_file(address.text);
    if (!held) return std::unexpected(held.error());
    held_file = std::move(*held);
  }
  if (auto migrated = migrate(**writer); !migrated) return std::unexpected(migrated.error());
  std::unique_ptr<Store> store(new Store(address, std::move(held_file), clock));
  store->committer_ = std::make_unique<Committer>(std::move(*writer), clock, store->commits_);
  return store;
}

DatabaseResult<NewPlayer> Store::register_player(std::string_view name) {
  std::array<std::uint8_t, kTokenBytes> secret;
  if (auto filled = sys::fill_random(secret); !filled) {
    return std::unexpected(DatabaseError{Failure::Unavailable, filled.error().text()});
  }
  NewPlayer player{std::string(name), record::hex(secret)};
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  const std::array<Value, 4> parameters = {player.name, name_key(name), sha256_hex(player.token),
                                           clock_.now()};
  auto inserted = (*connection)->query(
      "INSERT INTO players (name, name_key, token_hash, created_at) VALUES (?, ?, ?, ?)",
      parameters);
  if (!inserted) return std::unexpected(inserted.error());
  return player;
}

DatabaseResult<std::optional<Player>> Store::player_with_token(std::string_view token) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  const std::array<Value, 1> parameters = {sha256_hex(token)};
  auto rows = (*connection)->query("SELECT id, name FROM players WHERE token_hash = ?", parameters);
  if (!rows) return std::unexpected(rows.error());
  if (rows->empty()) return std::nullopt;
  return Player{rows->front().integer(0), rows->front().text(1)};
}

DatabaseResult<std::vector<Rank>> Store::ranks(const StoredRun& run) {
  std::vector<BoardName> boards;
  if (!run.practice) {
    boards.push_back({BoardKind::Open, ""});
  } else {
    boards.push_back({BoardKind::Seed, std::to_string(run.seed)});
    if (run.daily) boards.push_back({BoardKind::Daily, *run.daily});
  }
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  std::vector<Rank> ranks;
  for (BoardName& board : boards) {
    Filter filter = filter_of(board);
    std::string sql = "SELECT COUNT(*) FROM runs ";
    sql += filter.sql;
    // Every run that comes before this one in the board order.
    sql += " AND (runs.score > ? OR (runs.score = ? AND (runs.actions < ? OR (runs.actions = ? "
           "AND (runs.submitted_at < ? OR (runs.submitted_at = ? AND runs.id < ?))))))";
    std::vector<Value> parameters = std::move(filter.parameters);
    for (Value value : std::initializer_list<Value>{run.score, run.score, run.actions, run.actions,
                                                    run.submitted_at, run.submitted_at, run.id}) {
      parameters.push_back(std::move(value));
    }
    auto rows = (*connection)->query(sql, parameters);
    if (!rows) return std::unexpected(rows.error());
    ranks.push_back({std::move(board), rows->front().integer(0) + 1});
  }
  return ranks;
}

DatabaseResult<BoardPage> Store::board(const BoardName& board, std::int64_t limit,
                                       std::int64_t offset) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  Filter filter = filter_of(board);
  std::string count_sql = "SELECT COUNT(*) FROM runs ";
  count_sql += filter.sql;
  auto counted = (*connection)->query(count_sql, filter.parameters);
  if (!counted) return std::unexpected(counted.error());

  std::string sql(kRunColumns);
  sql += filter.sql;
  sql += kBoardOrder;
  sql += " LIMIT ? OFFSET ?";
  std::vector<Value> parameters = std::move(filter.parameters);
  parameters.emplace_back(limit);
  parameters.emplace_back(offset);
  auto rows = (*connection)->query(sql, parameters);
  if (!rows) return std::unexpected(rows.error());
  BoardPage page{counted->front().integer(0), {}};
  page.runs.reserve(rows->size());
  for (const Row& row : *rows) page.runs.push_back(run_of(row));
  return page;
}

DatabaseResult<std::optional<StoredRun>> Store::run(std::int64_t id) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  std::string sql(kRunColumns);
  sql += "WHERE runs.id = ?";
  const std::array<Value, 1> parameters = {id};
  auto rows = (*connection)->query(sql, parameters);
  if (!rows) return std::unexpected(rows.error());
  if (rows->empty()) return std::nullopt;
  return run_of(rows->front());
}

DatabaseResult<std::vector<StoredRun>> Store::newest(std::int64_t limit) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  std::string sql(kRunColumns);
  sql += "ORDER BY runs.id DESC LIMIT ?";
  const std::array<Value, 1> parameters = {limit};
  auto rows = (*connection)->query(sql, parameters);
  if (!rows) return std::unexpected(rows.error());
  std::vector<StoredRun> runs;
  runs.reserve(rows->size());
  for (const Row& row : *rows) runs.push_back(run_of(row));
  return runs;
}

DatabaseResult<std::optional<std::string>> Store::save_of(std::int64_t id) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  const std::array<Value, 1> parameters = {id};
  auto rows = (*connection)->query("SELECT save FROM runs WHERE id = ?", parameters);
  if (!rows) return std::unexpected(rows.error());
  if (rows->empty()) return std::nullopt;
  return rows->front().text(0);
}

DatabaseResult<std::vector<DailyDay>> Store::daily(const std::string& first,
                                                   const std::string& drawn_from,
                                                   const std::string& last) {
  auto connection = pool_.borrow();
  if (!connection) return std::unexpected(connection.error());
  const std::int64_t now = clock_.now();
  for (std::int64_t moment = *day_start(drawn_from); day_text(moment) <= last;
       moment += kMicrosecondsPerDay) {
    if (auto drawn = ensure_daily_day(**connection, day_text(moment), now); !drawn) {
      return std::unexpected(drawn.error());
    }
  }
  return daily_days(**connection, first, last);
}

}  // namespace burrowlight::board
