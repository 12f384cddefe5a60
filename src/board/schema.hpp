#pragma once
// The board's tables, created and migrated by the program itself: a version table holds
// how many migrations the database has had, and opening the database applies the
// missing ones in order, in one transaction, so a database is never between versions.

#include "board/database.hpp"

namespace burrowlight::board {

// The number of migrations this program knows; a database beyond it is refused.
int schema_version();

// Brings the database up to `schema_version()`. Several board processes starting at
// once on one PostgreSQL database take turns.
Result<void> migrate(Connection& connection);

}  // namespace burrowlight::board
