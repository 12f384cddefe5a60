#pragma once
// The board's pages for people: the boards as tables (readable with no script), a run
// with its figures, recording and downloads. Every text from a player or a run goes
// through html_text.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/records.hpp"

namespace burrowlight::board {

inline constexpr std::int64_t kRowsPerPage = 50;
// The front page shows the head of today's daily board; the rest is on its own page.
inline constexpr std::int64_t kDailyRowsOnFront = 10;
// The front page's live feed, and what /api/runs/newest answers.
inline constexpr std::int64_t kNewestRuns = 20;

// One page of a board: its rows and which page they are (from 1).
struct BoardView {
  BoardName name;
  BoardPage page;
  std::int64_t page_number;
};

// A day of the daily challenge as the pages show it; the secret only once it has started.
struct DayView {
  DailyDay day;
  bool revealed;
};

struct FrontView {
  BoardView open;
  std::optional<DayView> today;
  BoardPage daily_top;
  std::vector<StoredRun> newest;
};

struct RunView {
  StoredRun run;
  std::vector<Rank> ranks;
  std::uint64_t rules_version;
  // Whether the board serves the asciinema web player.
  bool player;
};

std::string front_page(const FrontView& view);
std::string board_page(const BoardView& board, const std::optional<DayView>& day);
std::string run_page(const RunView& view);
// A refusal shown to a person: the status and the sentence.
std::string refusal_page(int status, std::string_view sentence);

// "/seed/SEED", "/daily/DAY" or "/" for the open board.
std::string board_address(const BoardName& board);
// How many pages a board of `total` runs has (at least one, which may be empty).
std::int64_t page_count(std::int64_t total);

}  // namespace burrowlight::board
