#pragma once
// One live expedition, the single object through which both front ends play: the run
// joined to its save file, write-ahead (an action counts only once the record that
// holds it is on disk).

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/save.hpp"
#include "base/error.hpp"
#include "core/expedition_actions.hpp"
#include "core/expedition_run.hpp"

namespace burrowlight::expedition {

// Why `Session::apply` did not accept an action. In both cases nothing changed.
struct ApplyError {
  // The rules or a sealed run turned the action down.
  struct Refused {
    Refusal refusal;
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

class Session {
 public:
  // Joins an opened save to the run its record replays to.
  Session(burrowlight::Save opened_save, Run run)
      : run_(std::move(run)), save_(std::move(opened_save)) {}

  // Applies an action write-ahead: the next run is computed, its record written, and
  // only then taken over.
  std::expected<Event, ApplyError> apply(const Action& action);

  // Seals the run at its current score. Sealing a sealed run does nothing and succeeds.
  Result<void> finish();

  // Writes the current record to the save file once more.
  Result<void> write_save() const;

  Action human_move(Direction direction) const { return run_.human_move(direction); }

  // Appends a refusal's sentence to the message log, which keeps the last eight lines.
  void log(Refusal refusal) { run_.log(refusal); }

  // The run's record is exactly what was last written to the save.
  const Run& run() const { return run_; }
  const burrowlight::Save& save() const { return save_; }

 private:
  Run run_;
  burrowlight::Save save_;
};

// Opens the expedition of the command line: the given save path or the default one, the
// save under its lock (creating or archiving as asked), then the session.
Result<Session> open(const std::optional<std::string>& save_path, bool new_expedition,
                     std::optional<std::uint64_t> seed);

}  // namespace burrowlight::expedition
