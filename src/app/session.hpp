#pragma once
// One live expedition, the single object through which both front ends play: it joins
// the rules state to its save file, write-ahead (an action counts only once the record
// that holds it is on disk), and keeps the view model of the current floor, a map memory
// per floor and the player's message log.

#include <array>
#include <cstdint>
#include <expected>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <variant>

#include "app/save.hpp"
#include "core/error.hpp"
#include "core/expedition.hpp"
#include "core/game.hpp"
#include "core/record.hpp"
#include "core/vault.hpp"
#include "core/world.hpp"

namespace burrowlight::expedition {

// Why `Session::apply` did not accept an action. In both cases nothing changed.
struct ApplyError {
  // The rules or a sealed run turned the action down; the text is the sentence to show.
  struct Refused {
    std::string text;
    bool operator==(const Refused&) const = default;
  };
  // The rules accepted the action but the save could not be written, so it does not
  // count and may be tried again.
  struct Save {
    burrowlight::Error error;
    bool operator==(const Save&) const = default;
  };

  std::variant<Refused, Save> kind;
  bool operator==(const ApplyError&) const = default;
};

// Map memory of one floor: entry y * 19 + x is 1 once the cell (x, y) has been in view.
using FloorMemory = std::array<std::uint8_t, kCellsPerFloor>;

class Session {
 public:
  // Builds the session from an opened save and its record, replaying the actions one by
  // one so that the map memory follows every position the player has stood on. A record
  // that does not replay is an error with the replay's reason; the save (and its lock)
  // is then dropped.
  static Result<Session> create(burrowlight::Save opened_save, Record opened_record);

  // Applies an action write-ahead: it is tried on a copy, the extended record is written,
  // and only then are the copies taken over and the event's line logged.
  std::expected<Event, ApplyError> apply(const Action& action);

  // Seals the run at its current score. Sealing a sealed run does nothing and succeeds.
  Result<void> finish();

  // What an arrow key means: a dig when the neighbouring cell really is a vein (seen or
  // not), a move otherwise.
  Action human_move(Direction direction) const;

  // Appends a line to the message log, which keeps the last eight.
  void log(std::string line);

  // Rebuilds the view model of the current floor from the rules state and adds what is
  // in view now to that floor's map memory.
  void refresh();

  // The reply of the headless protocol for the current state, with "ok" true.
  nlohmann::json observation() const;

  // Readers use these directly; only the operations above change them, which keeps the
  // invariants: `expedition` is what the record's actions lead to, `game` shows it, and
  // `record` is exactly what was last written to the save.
  Record record;
  Game game;
  burrowlight::Save save;
  std::array<FloorMemory, kFloorCount> explored;
  Expedition expedition;

 private:
  Session(burrowlight::Save opened_save, Record opened_record, Expedition start);
};

// Opens the expedition of the command line: the given save path or the default one, the
// save under its lock (creating or archiving as asked), then the session.
Result<Session> open(const std::optional<std::string>& save_path, bool new_expedition,
                     std::optional<std::uint64_t> seed);

// The current floor as a 19 by 13 grid world: rock and wall tiles, a ground zone by
// position for open cells, and one prop for each vein, crystal, flask, portal and
// decoration, in row-major order.
World world(const Expedition& expedition);

}  // namespace burrowlight::expedition
