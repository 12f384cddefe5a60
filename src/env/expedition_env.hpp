#pragma once
// The expedition as an environment for programs that learn or search, stepped in process:
// no save file, no terminal, no pipe. Its state is a plain value, so a snapshot is a copy
// and restoring one is an assignment; its record is a complete save of that state.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"
#include "core/expedition_view_cache.hpp"
#include "env/observation_layout.hpp"
#include "headless/commands.hpp"
#include "headless/replies.hpp"

namespace burrowlight::env {

// An action index names an entry of headless::kExpeditionAgentCommands: the eleven
// actions in code order, then "finish", which seals the run.
inline constexpr std::size_t kExpeditionActionCount = headless::kExpeditionAgentCommands.size();
inline constexpr std::size_t kFinish = static_cast<std::size_t>(
    &headless::command_of(headless::kExpeditionAgentCommands, headless::CommandKind::Finish) -
    headless::kExpeditionAgentCommands.data());

// The array observation: the headless observation's map, figures and legal actions.
struct ExpeditionField {
  enum : std::size_t { Map, Position, Floor, Charge, Score, Turn, Finished, Legal };
};
inline constexpr std::array kExpeditionFields{
    // Rows of glyphs, row 0 first.
    map("map", static_cast<std::size_t>(kFloorHeight), static_cast<std::size_t>(kFloorWidth)),
    // Column, then row.
    values("position", Element::Figure, 2, 0, std::max(kFloorHeight, kFloorWidth) - 1),
    values("floor", Element::Figure, 1, 0, static_cast<std::int64_t>(kFloorCount) - 1),
    values("charge", Element::Figure, 1, 0, expedition::kMaxCharge),
    values("score", Element::Figure, 1, 0, std::numeric_limits<std::int32_t>::max()),
    values("turn", Element::Figure, 1, 0, static_cast<std::int64_t>(expedition::kActionLimit)),
    flags("finished", 1),
    // By action index; "finish" is legal while the run is not sealed.
    flags("legal", kExpeditionActionCount),
};
static_assert(kExpeditionFields[ExpeditionField::Legal].name == "legal");

using ExpeditionObservation = Observation<kExpeditionFields>;
using ExpeditionRows = Rows<kExpeditionFields>;

struct ExpeditionStep {
  // The score the step gained.
  std::int64_t reward;
  // The run is sealed.
  bool terminated;
  // The run has all its actions and is not sealed.
  bool truncated;
  // Why the action was refused; nothing when it was accepted.
  std::optional<expedition::Refusal> error;
};

// Everything an environment holds: the run and what its last reply said.
struct ExpeditionState {
  expedition::Run run;
  // The refusal of the last step, or nothing.
  std::optional<expedition::Refusal> error;

  bool operator==(const ExpeditionState&) const = default;
};

class ExpeditionEnv {
 public:
  // A practice expedition of seed 0 until the first reset.
  ExpeditionEnv();

  // A practice expedition of `seed`.
  void reset(std::uint64_t seed);
  // A normal expedition whose seed follows from `secret`.
  void reset(const record::Secret& secret);
  // Continues `run`, such as one a save replays to.
  void resume(expedition::Run run);

  // `action` indexes headless::kExpeditionAgentCommands; one out of range is a broken
  // precondition and panics.
  ExpeditionStep step(std::size_t action);

  // Writes the observation into `rows` (one observation's, or a batch's row).
  void observe(const ExpeditionRows& rows) const;
  void observe(ExpeditionObservation& observation) const { observe(observation.rows()); }

  // The line the headless expedition would have written for the last reset or step,
  // line feed included. Valid until the next call.
  std::string_view reply();

  const ExpeditionState& state() const { return state_; }
  void restore(const ExpeditionState& state) { state_ = state; }
  const Record& record() const { return state_.run.record(); }

 private:
  void start(Record record);

  ExpeditionState state_;
  // Beside the state rather than in it, so that a snapshot stays small; it is right for
  // any state restored.
  expedition::ViewCache views_;
  headless::ReplyWriter replies_;
};

}  // namespace burrowlight::env
