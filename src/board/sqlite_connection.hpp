#pragma once
// The embedded database: one SQLite file, written ahead in its log (WAL) so that readers
// never wait for the writer, and synchronised in full, so a commit is on the disk when
// it returns.

#include <memory>
#include <string>

#include "board/database.hpp"

namespace burrowlight::board {

Result<std::unique_ptr<Connection>> connect_sqlite(const std::string& path);

}  // namespace burrowlight::board
