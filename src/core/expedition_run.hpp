#pragma once
// One expedition as a plain value: the record, the rules state it leads to, a map memory
// per floor and the view model of the current floor with the player's message log. Every
// change is computed on a copy and returned as the next run, so the caller decides when
// it counts: the session only after the record that holds it is on disk, a replay or an
// in-process environment at once.

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/expedition_floors.hpp"
#include "core/expedition_record.hpp"
#include "core/game.hpp"

namespace burrowlight::expedition {

// Map memory of one floor: entry y * 19 + x is 1 once the cell (x, y) has been in view.
using FloorMemory = std::array<std::uint8_t, kCellsPerFloor>;
using MapMemory = std::array<FloorMemory, kFloorCount>;

// The answer to every action once the run is sealed.
inline constexpr std::string_view kSealedText =
    "This expedition is sealed. Start another with --new.";

// What an arrow key means: a dig when the neighbouring cell really is a vein (seen or
// not), a move otherwise.
Action human_move(const Expedition& expedition, Direction direction);

struct Advance;

class Run {
 public:
  // Validates the record by replaying it, then replays it once more with a look around
  // after every action, so that the map memory follows every position the player has
  // stood on; a saved record cannot tell it otherwise. The error is the replay's reason.
  static std::expected<Run, std::string> start(Record record);

  // The run after one more action, with the action's code appended to the record and the
  // event's line logged; or the sentence that refuses it (the sealed text or the rules').
  std::expected<Advance, std::string_view> after(const Action& action) const;

  // The run sealed at its current score; nothing when it is sealed already.
  std::optional<Run> after_finish() const;

  Action human_move(Direction direction) const {
    return expedition::human_move(expedition_, direction);
  }

  // Appends a line to the message log, which keeps the last eight.
  void log(std::string line) { game_.log(std::move(line)); }

  // `expedition` is what the record's actions lead to and `game` shows it: its world is
  // the current floor, its player and turn are the expedition's, its `awakened` is the
  // record's `finished`, and its discovered cells are that floor's memory.
  const Record& record() const { return record_; }
  const Expedition& expedition() const { return expedition_; }
  const Game& game() const { return game_; }
  const MapMemory& explored() const { return explored_; }

  bool operator==(const Run&) const = default;

 private:
  Run(Record record, const Expedition& start);

  // Rebuilds the view model of the current floor from the rules state and adds what is
  // in view now to that floor's memory.
  void refresh();

  Record record_;
  Game game_;
  MapMemory explored_;
  Expedition expedition_;
};

struct Advance {
  Run run;
  Event event;
};

}  // namespace burrowlight::expedition
