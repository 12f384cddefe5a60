#pragma once
// The embedded database: one SQLite file, written ahead in its log (WAL) so that readers
// never wait for the writer, and synchronised in full, so a commit is on the disk when
// it returns.

#include <memory>
#include <string>

#include "board/database.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::board {

Result<std::unique_ptr<Connection>> connect_sqlite(const std::string& path);

// Holds the database file for this board process alone, for as long as the descriptor
// lives: the process then knows every commit, which its cached pages rely on. Board
// processes share a database through PostgreSQL.
Result<sys::UniqueFd> hold_sqlite_file(const std::string& path);

}  // namespace burrowlight::board
