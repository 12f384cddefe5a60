// The board's schema in a real SQLite file: made and migrated by the program, once, and
// refused when a newer board made it; a run's unique keys refuse a second copy.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "board/schema.hpp"
#include "board/sqlite_connection.hpp"
#include "support/files.hpp"

namespace burrowlight::board {
namespace {

class BoardSchema : public ::testing::Test {
 protected:
  std::unique_ptr<Connection> open() {
    auto connection = connect_sqlite((directory_.path() / "board.sqlite").string());
    EXPECT_TRUE(connection) << connection.error().text();
    return std::move(*connection);
  }

  test_support::TemporaryDirectory directory_{"board-schema-"};
};

TEST_F(BoardSchema, MigratesOnceAndKeepsTheVersion) {
  auto connection = open();
  ASSERT_TRUE(migrate(*connection));
  ASSERT_TRUE(migrate(*open()));
  auto version = connection->query("SELECT version FROM schema_version");
  ASSERT_TRUE(version);
  ASSERT_EQ(version->size(), 1u);
  EXPECT_EQ(version->front().integer(0), schema_version());
}

TEST_F(BoardSchema, RefusesADatabaseOfANewerBoard) {
  auto connection = open();
  ASSERT_TRUE(migrate(*connection));
  ASSERT_TRUE(connection->query("UPDATE schema_version SET version = 99"));
  auto refused = migrate(*connection);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().text(), "the database was made by a newer board (schema version 99, "
                                    "this board knows " + std::to_string(schema_version()) + ")");
}

TEST_F(BoardSchema, UniqueKeysRefuseSecondCopiesAsConflicts) {
  auto connection = open();
  ASSERT_TRUE(migrate(*connection));
  const std::array<Value, 3> player = {std::string("Ann"), std::string("ann"), std::string("h")};
  ASSERT_TRUE(connection->query(
      "INSERT INTO players (name, name_key, token_hash, created_at) VALUES (?, ?, ?, 0)", player));
  struct Case {
    const char* name;
    std::int64_t practice;
    Value identity;
    const char* hash;
    bool taken;
  };
  const Case cases[] = {
      {"a normal run", 0, std::string("id1"), "h1", true},
      {"its identity again, other bytes", 0, std::string("id1"), "h2", false},
      {"its bytes again", 1, Value(), "h1", false},
      {"a practice run", 1, Value(), "h3", true},
      {"another practice run of the seed", 1, Value(), "h4", true},
  };
  for (const Case& run : cases) {
    const std::array<Value, 3> values = {run.practice, run.identity, std::string(run.hash)};
    auto inserted = connection->query(
        "INSERT INTO runs (player_id, practice, seed, expedition_id, score, depth, turns, "
        "actions, finished, submitted_at, daily, content_hash, save) "
        "VALUES (1, ?, '0', ?, 0, 1, 0, 0, 1, 0, NULL, ?, '{}')",
        values);
    EXPECT_EQ(inserted.has_value(), run.taken) << run.name;
    if (!inserted) {
      EXPECT_EQ(inserted.error().failure, Failure::Conflict) << run.name;
    }
  }
}

}  // namespace
}  // namespace burrowlight::board
