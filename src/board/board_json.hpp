#pragma once
// The board's answers as JSON text: runs, boards, the daily secrets and errors. Keys are
// written in a fixed order; a player's name goes through the escaping of text from
// outside, so no name can break out of its string.

#include <span>
#include <string>
#include <string_view>

#include "board/records.hpp"

namespace burrowlight::board {

// The board order, as the boards state it.
inline constexpr std::string_view kOrderRule =
    "score descending, then fewer accepted actions, then earlier submission";

// What each board is, as its answers and its page state it.
std::string_view board_note(BoardKind kind);

// The board a run joined, as the pages and the feed name it: "open", "seed SEED" or
// "daily DAY".
std::string board_label(const StoredRun& run);

std::string error_json(std::string_view sentence);
std::string run_json(const StoredRun& run, std::span<const Rank> ranks);
std::string board_json(const BoardName& board, const BoardPage& page, std::int64_t limit,
                       std::int64_t offset);
std::string daily_json(const std::string& today, std::span<const DailyDay> days);
std::string player_json(const NewPlayer& player);
// The newest runs for the front page's live feed: each with its board's label, and no
// number a script could not hold exactly (seeds go beyond 2^53, so only in the label).
std::string feed_json(std::span<const StoredRun> runs);

}  // namespace burrowlight::board
