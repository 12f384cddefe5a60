#pragma once
// The board's plain values as the store reads and writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace burrowlight::board {

struct Player {
  std::int64_t id;
  std::string name;
};

// A new player's name and token; the token is shown this once, and only its SHA-256 is
// stored.
struct NewPlayer {
  std::string name;
  std::string token;
};

struct StoredRun {
  std::int64_t id;
  std::string player;
  bool practice;
  std::uint64_t seed;
  std::optional<std::string> expedition_id;
  std::int64_t score;
  std::int64_t depth;
  std::int64_t turns;
  std::int64_t actions;
  bool finished;
  std::int64_t submitted_at;
  // The day whose daily board the run joined, if it did.
  std::optional<std::string> daily;
};

enum class BoardKind { Open, Seed, Daily };

// One board: the open board, the practice board of one seed (`key` in decimal), or the
// daily board of one day (`key` is YYYY-MM-DD).
struct BoardName {
  BoardKind kind;
  std::string key;
};

struct Rank {
  BoardName board;
  std::int64_t rank;
};

struct BoardPage {
  std::int64_t total;
  std::vector<StoredRun> runs;
};

struct DailyDay {
  std::string day;
  std::string secret;
  std::string commitment;
  std::uint64_t seed;
  std::int64_t committed_at;
};

}  // namespace burrowlight::board
