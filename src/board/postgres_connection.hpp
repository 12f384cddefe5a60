#pragma once
// The shared database: PostgreSQL through libpq, for several board processes on one
// database. Commits are synchronous, so a commit is on the server's disk when it returns.

#include <memory>
#include <string>

#include "board/database.hpp"

namespace burrowlight::board {

Result<std::unique_ptr<Connection>> connect_postgres(const std::string& address);

}  // namespace burrowlight::board
