#pragma once
// One interface over the two databases a board can keep its runs in: SQLite in a file
// for a single board process, PostgreSQL for several board processes sharing one
// database. The store writes its SQL once, with "?" for each parameter, and every value
// from outside travels as a parameter, never inside the SQL text.

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/error.hpp"

namespace burrowlight::board {

using Value = std::variant<std::monostate, std::int64_t, std::string>;

// One row of a result, its columns in the order the query selected them; null columns
// are absent values.
struct Row {
  std::vector<std::optional<std::string>> columns;

  std::int64_t integer(std::size_t column) const;
  // A seed, kept as decimal text: it does not fit a signed 64-bit column.
  std::uint64_t unsigned_integer(std::size_t column) const;
  const std::string& text(std::size_t column) const;
  bool is_null(std::size_t column) const { return !columns.at(column); }
};

using Rows = std::vector<Row>;

enum class Failure {
  // A unique constraint refused the row: someone else holds the name or the identity.
  Conflict,
  // The database could not do what was asked (a full disk, a lost server, a locked file).
  Unavailable,
};

struct DatabaseError {
  Failure failure;
  std::string text;
};

template <class T = void>
using DatabaseResult = std::expected<T, DatabaseError>;

// The SQL that differs between the two: the column type of a generated row number.
enum class Dialect { Sqlite, Postgres };

// One connection, used by one thread at a time.
class Connection {
 public:
  virtual ~Connection() = default;
  virtual Dialect dialect() const = 0;
  // Runs one statement with its parameters bound in order and returns its rows.
  virtual DatabaseResult<Rows> query(std::string_view sql, std::span<const Value> parameters) = 0;
  DatabaseResult<Rows> query(std::string_view sql) { return query(sql, {}); }
};

// The start of a write transaction: SQLite takes its write lock at once, so that it waits
// for another writer instead of failing halfway.
inline std::string_view begin_statement(Dialect dialect) {
  return dialect == Dialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN";
}

// Where the runs are kept, as given on the command line: a file path for SQLite, a
// postgresql:// address for PostgreSQL.
struct DatabaseAddress {
  std::string text;

  bool is_postgres() const;
  // What the start line says: a PostgreSQL address without its password.
  std::string shown() const;
};

// A new connection to the database at `address`, with the durability the board promises
// (every commit on the disk before it returns).
Result<std::unique_ptr<Connection>> connect(const DatabaseAddress& address);

}  // namespace burrowlight::board
