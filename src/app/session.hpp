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

namespace burrowlight::app {

// Why `Session::apply` did not accept an action. In both cases nothing changed.
struct ApplyError {
  // The rules or a sealed run turned the action down.
  struct Refused {
    expedition::Refusal refusal;
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
  Session(Save opened_save, expedition::Run run)
      : run_(std::move(run)), save_(std::move(opened_save)) {}

  // Applies an action write-ahead: the next run is computed, its record written, and
  // only then taken over.
  std::expected<expedition::Event, ApplyError> apply(const expedition::Action& action);

  // Seals the run at its current score. Sealing a sealed run does nothing and succeeds.
  Result<void> finish();

  // Writes the current record to the save file once more.
  Result<void> write_save() const;

  expedition::Action human_move(expedition::Direction direction) const { return run_.human_move(direction); }

  // Appends a refusal's sentence to the message log, which keeps the last eight lines.
  void log(expedition::Refusal refusal) { run_.log(refusal); }

  // The run's record is exactly what was last written to the save.
  const expedition::Run& run() const { return run_; }
  const Save& save() const { return save_; }

 private:
  expedition::Run run_;
  Save save_;
};

// Opens the expedition of the command line: the given save path or the default one, the
// save under its lock (creating or archiving as asked), then the session.
Result<Session> open_session(const std::optional<std::string>& save_path,
                             bool new_expedition, std::optional<std::uint64_t> seed);

}  // namespace burrowlight::app
