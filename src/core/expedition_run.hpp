#pragma once
// One expedition as a plain value: the record, the rules state it leads to, what the
// player sees now, a map memory per floor and the message log. A change can be computed
// on a copy and returned as the next run, so that the caller decides when it counts (the
// session only after the record that holds it is on disk), or made in place where it
// counts at once (a replay, an in-process environment).

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/expedition.hpp"
#include "core/expedition_log.hpp"
#include "core/expedition_record.hpp"
#include "core/expedition_sight.hpp"
#include "core/expedition_view_cache.hpp"

namespace burrowlight::expedition {

// What an arrow key means: a dig when the neighbouring cell really is a vein (seen or
// not), a move otherwise.
Action human_move(const Expedition& expedition, Direction direction);

struct Advance;

class Run {
 public:
  // Replays the record with a look around after every action, so that the map memory
  // follows every position the player has stood on; a saved record cannot tell it
  // otherwise. The error is the replay's reason the record is invalid.
  static std::expected<Run, std::string> start(Record record);
  // The run of a record with no actions yet, which no replay can refuse.
  static Run fresh(Record record);

  // One more action: its code appended to the record, a look around, the event's line
  // logged. A refusal is the rules' or, once the run is sealed, `Refusal::Sealed`, and the
  // run stays exactly as it was.
  std::expected<Event, Refusal> apply(const Action& action);
  // The same, with what is in view taken from `views` where they hold it: a caller that
  // steps a run many times keeps them beside it. The run is the same either way.
  std::expected<Event, Refusal> apply(const Action& action, ViewCache& views);
  // The same on a copy: the run after the action, or the refusal.
  std::expected<Advance, Refusal> after(const Action& action) const;

  // Seals the run at its current score; false, and nothing changes, when it is sealed.
  bool finish();
  // The same on a copy: the sealed run, or nothing when this one is sealed already.
  std::optional<Run> after_finish() const;

  Action human_move(Direction direction) const {
    return expedition::human_move(expedition_, direction);
  }

  // Makes room for the record to reach the action limit, so that no later action
  // allocates.
  void reserve_all_actions() { record_.actions.reserve(kActionLimit); }

  // Appends one of the fixed sentences (such as a refusal) to the message log, which
  // keeps the last eight lines.
  void log(std::string_view sentence) { log_.add({LogLine::Kind::Fixed, 0, sentence}); }
  void log(Refusal refusal) { log(message(refusal)); }

  // `expedition` is what the record's actions lead to; `in_view` is what the player sees
  // of its current floor, and `explored(f)` what has ever been in view on floor f, which
  // on the current floor includes what is in view now.
  const Record& record() const { return record_; }
  const Expedition& expedition() const { return expedition_; }
  const CellSet& in_view() const { return in_view_; }
  const CellSet& explored(std::size_t floor) const { return explored_[floor]; }
  const RunLog& log_lines() const { return log_; }

  bool operator==(const Run&) const = default;

 private:
  Run(Record record, const Expedition& start);

  // The rules' answer to `action`: when they accept it, its code is recorded and its line
  // logged, and the look around that follows is the caller's.
  std::expected<Event, Refusal> accept(const Action& action);

  // Works out what is in view now, after `event` or at the start, and adds it to the
  // current floor's memory.
  void look_around(const std::optional<Event>& event);
  void look_around(const Event& event, ViewCache& views);
  // What both looks share: the blockers brought up to date before, the memory after.
  void refresh_blockers(const std::optional<Event>& event);
  void see(const CellSet& in_view);

  Record record_;
  Expedition expedition_;
  // The current floor's cells that stop sight, kept between looks.
  SightBlockers blockers_;
  CellSet in_view_;
  std::array<CellSet, kFloorCount> explored_;
  RunLog log_;
};

struct Advance {
  Run run;
  Event event;
};

}  // namespace burrowlight::expedition
