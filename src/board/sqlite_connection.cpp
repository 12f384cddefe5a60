#include "board/sqlite_connection.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>

#include <unordered_map>
#include <utility>

#include "sys/os_error.hpp"

namespace burrowlight::board {

namespace {

constexpr int kBusyMilliseconds = 5000;

DatabaseError error_of(sqlite3* database, int code) {
  const int primary = code & 0xff;
  const Failure failure = primary == SQLITE_CONSTRAINT ? Failure::Conflict : Failure::Unavailable;
  return {failure, std::string("SQLite: ") + sqlite3_errmsg(database)};
}

class SqliteConnection final : public Connection {
 public:
  explicit SqliteConnection(sqlite3* database) : database_(database) {}
  ~SqliteConnection() override {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(database_);
  }
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  using Connection::query;
  Dialect dialect() const override { return Dialect::Sqlite; }

  DatabaseResult<Rows> query(std::string_view sql, std::span<const Value> parameters) override {
    auto prepared = prepare(sql);
    if (!prepared) return std::unexpected(prepared.error());
    sqlite3_stmt* statement = *prepared;
    // A statement is kept prepared for the next call, reset and cleared of its values.
    struct Reset {
      sqlite3_stmt* statement;
      ~Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
      }
    } reset{statement};
    for (std::size_t index = 0; index < parameters.size(); ++index) {
      const int position = static_cast<int>(index + 1);
      const Value& value = parameters[index];
      int bound = SQLITE_OK;
      if (const auto* number = std::get_if<std::int64_t>(&value)) {
        bound = sqlite3_bind_int64(statement, position, *number);
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        bound = sqlite3_bind_text(statement, position, text->data(),
                                  static_cast<int>(text->size()), SQLITE_STATIC);
      } else {
        bound = sqlite3_bind_null(statement, position);
      }
      if (bound != SQLITE_OK) return std::unexpected(error_of(database_, bound));
    }
    Rows rows;
    for (;;) {
      const int stepped = sqlite3_step(statement);
      if (stepped == SQLITE_DONE) return rows;
      if (stepped != SQLITE_ROW) return std::unexpected(error_of(database_, stepped));
      Row& row = rows.emplace_back();
      const int count = sqlite3_column_count(statement);
      row.columns.reserve(static_cast<std::size_t>(count));
      for (int column = 0; column < count; ++column) {
        if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
          row.columns.emplace_back();
          continue;
        }
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        row.columns.emplace_back(
            std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))));
      }
    }
  }

 private:
  DatabaseResult<sqlite3_stmt*> prepare(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    const int prepared = sqlite3_prepare_v2(database_, sql.data(), static_cast<int>(sql.size()),
                                            &statement, nullptr);
    if (prepared != SQLITE_OK) return std::unexpected(error_of(database_, prepared));
    statements_.emplace(std::string(sql), statement);
    return statement;
  }

  sqlite3* database_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

Result<std::unique_ptr<Connection>> connect_sqlite(const std::string& path) {
  sqlite3* database = nullptr;
  const int opened = sqlite3_open_v2(
      path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
      nullptr);
  if (opened != SQLITE_OK) {
    std::string text = std::string("cannot open the database ") + path + ": " +
                       (database != nullptr ? sqlite3_errmsg(database) : sqlite3_errstr(opened));
    sqlite3_close(database);
    return std::unexpected(Error(std::move(text)));
  }
  auto connection = std::make_unique<SqliteConnection>(database);
  sqlite3_busy_timeout(database, kBusyMilliseconds);
  for (std::string_view setting : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL",
                                   "PRAGMA foreign_keys=ON"}) {
    if (auto set = connection->query(setting); !set) {
      return std::unexpected(Error("cannot open the database " + path + ": " + set.error().text));
    }
  }
  return std::unique_ptr<Connection>(std::move(connection));
}

Result<sys::UniqueFd> hold_sqlite_file(const std::string& path) {
  sys::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    return std::unexpected(Error("cannot open the database " + path + ": " + sys::last_os_error().text()));
  }
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) {
      return std::unexpected(Error("the database " + path +
                                   " is in use by another board process; board processes "
                                   "share a database through PostgreSQL"));
    }
    return std::unexpected(Error("cannot lock the database " + path + ": " + sys::last_os_error().text()));
  }
  return file;
}

}  // namespace burrowlight::board
