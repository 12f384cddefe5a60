#include "board/postgres_connection.hpp"

#include <libpq-fe.h>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace burrowlight::board {

namespace {

// The SQLSTATE of a unique or exclusion constraint's refusal.
constexpr std::string_view kUniqueViolation = "23505";

// The store's "?" placeholders as PostgreSQL's numbered ones. The store's SQL holds no
// "?" inside a string literal.
std::string numbered(std::string_view sql) {
  std::string text;
  text.reserve(sql.size() + 16);
  int next = 0;
  for (char character : sql) {
    if (character == '?') {
      text += '$';
      text += std::to_string(++next);
    } else {
      text += character;
    }
  }
  return text;
}

struct ResultGuard {
  PGresult* result;
  ~ResultGuard() { PQclear(result); }
};

class PostgresConnection final : public Connection {
 public:
  explicit PostgresConnection(PGconn* connection) : connection_(connection) {}
  ~PostgresConnection() override { PQfinish(connection_); }
  PostgresConnection(const PostgresConnection&) = delete;
  PostgresConnection& operator=(const PostgresConnection&) = delete;

  using Connection::query;
  Dialect dialect() const override { return Dialect::Postgres; }

  DatabaseResult<Rows> query(std::string_view sql, std::span<const Value> parameters) override {
    std::vector<std::string> texts;
    std::vector<const char*> values;
    texts.reserve(parameters.size());
    for (const Value& value : parameters) {
      if (const auto* number = std::get_if<std::int64_t>(&value)) {
        texts.push_back(std::to_string(*number));
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        texts.push_back(*text);
      } else {
        texts.emplace_back();
      }
    }
    for (std::size_t index = 0; index < parameters.size(); ++index) {
      values.push_back(std::holds_alternative<std::monostate>(parameters[index])
                           ? nullptr
                           : texts[index].c_str());
    }
    if (auto usable = usable_for(sql); !usable) return std::unexpected(usable.error());
    const std::string& statement = converted(sql);
    const auto execute = [&] {
      return PQexecParams(connection_, statement.c_str(), static_cast<int>(values.size()), nullptr,
                          values.data(), nullptr, nullptr, 0);
    };
    ResultGuard guard{execute()};
    ExecStatusType status = PQresultStatus(guard.result);
    // A dropped connection shows only when it is used. A BEGIN or a read that found it
    // dropped did nothing on the server, so it is sent again on a new connection.
    const bool repeatable = !in_transaction_ && (sql.starts_with("BEGIN") || sql.starts_with("SELECT"));
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && repeatable &&
        PQstatus(connection_) == CONNECTION_BAD) {
      PQreset(connection_);
      PQclear(guard.result);
      guard.result = execute();
      status = PQresultStatus(guard.result);
    }
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
      const char* state = PQresultErrorField(guard.result, PG_DIAG_SQLSTATE);
      const Failure failure = state != nullptr && kUniqueViolation == state ? Failure::Conflict
                                                                             : Failure::Unavailable;
      return std::unexpected(DatabaseError{failure, "PostgreSQL: " + last_error()});
    }
    if (sql.starts_with("BEGIN")) in_transaction_ = true;
    Rows rows;
    const int count = PQntuples(guard.result);
    const int columns = PQnfields(guard.result);
    rows.reserve(static_cast<std::size_t>(count));
    for (int tuple = 0; tuple < count; ++tuple) {
      Row& row = rows.emplace_back();
      row.columns.reserve(static_cast<std::size_t>(columns));
      for (int column = 0; column < columns; ++column) {
        if (PQgetisnull(guard.result, tuple, column) != 0) {
          row.columns.emplace_back();
        } else {
          row.columns.emplace_back(std::string(PQgetvalue(guard.result, tuple, column),
                                               static_cast<std::size_t>(PQgetlength(guard.result, tuple, column))));
        }
      }
    }
    return rows;
  }

 private:
  // A connection the server dropped (a restart, a lost network) is made anew, but only
  // between transactions: a transaction's later statements run on the connection that
  // began it or fail, so that a COMMIT never succeeds on a fresh connection that holds
  // nothing.
  DatabaseResult<void> usable_for(std::string_view sql) {
    const bool in_transaction = in_transaction_;
    // A transaction ends with its COMMIT or ROLLBACK, whether that succeeds or not.
    if (sql == "COMMIT" || sql == "ROLLBACK") in_transaction_ = false;
    if (PQstatus(connection_) == CONNECTION_OK) return {};
    if (in_transaction) {
      return std::unexpected(DatabaseError{Failure::Unavailable,
                                           "PostgreSQL: the connection was lost in a transaction"});
    }
    PQreset(connection_);
    if (PQstatus(connection_) == CONNECTION_OK) return {};
    return std::unexpected(DatabaseError{Failure::Unavailable, "PostgreSQL: " + last_error()});
  }

  std::string last_error() const {
    std::string text = PQerrorMessage(connection_);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }

  const std::string& converted(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found == statements_.end()) {
      found = statements_.emplace(std::string(sql), numbered(sql)).first;
    }
    return found->second;
  }

  PGconn* connection_;
  bool in_transaction_ = false;
  std::unordered_map<std::string, std::string> statements_;
};

}  // namespace

Result<std::unique_ptr<Connection>> connect_postgres(const std::string& address) {
  PGconn* connection = PQconnectdb(address.c_str());
  if (connection == nullptr) return std::unexpected(Error("cannot connect to PostgreSQL: out of memory"));
  auto owned = std::make_unique<PostgresConnection>(connection);
  if (PQstatus(connection) != CONNECTION_OK) {
    std::string text = PQerrorMessage(connection);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return std::unexpected(Error("cannot connect to PostgreSQL: " + text));
  }
  // Every commit waits for the server's disk, whatever the server's default.
  if (auto set = owned->query("SET synchronous_commit = on"); !set) {
    return std::unexpected(Error("cannot connect to PostgreSQL: " + set.error().text));
  }
  return std::unique_ptr<Connection>(std::move(owned));
}

}  // namespace burrowlight::board
