#include "core/expedition_run.hpp"

#include <utility>

#include "base/overloaded.hpp"
#include "base/panic.hpp"

namespace burrowlight::expedition {

namespace {

// The log line of an accepted action's event; moving and waiting speak for themselves.
std::optional<LogLine> event_line(const Event& event) {
  using Kind = LogLine::Kind;
  return std::visit(
      Overloaded{
          [](Moved) -> std::optional<LogLine> { return std::nullopt; },
          [](Dug dug) -> std::optional<LogLine> {
            return LogLine{Kind::Dug, dug.cost, {}};
          },
          [](CrystalTaken taken) -> std::optional<LogLine> {
            return LogLine{Kind::CrystalTaken, taken.value, {}};
          },
          [](FlaskUsed used) -> std::optional<LogLine> {
            return LogLine{Kind::FlaskUsed, used.gained, {}};
          },
          [](PortalTaken portal) -> std::optional<LogLine> {
            return LogLine{Kind::Depth, static_cast<std::uint32_t>(portal.floor + 1), {}};
          },
          [](Waited) -> std::optional<LogLine> { return std::nullopt; },
      },
      event);
}

}  // namespace

Action human_move(const Expedition& expedition, Direction direction) {
  const Step offset = step(direction);
  // Outside the floor `cell` reads as wall, so a step off the edge stays a move and the
  // rules refuse it.
  const Cell target = expedition.cell(expedition.x + offset.dx, expedition.y + offset.dy);
  if (target == Cell::SoftVein || target == Cell::HardVein) return Action{Dig{direction}};
  return Action{Move{direction}};
}

Run::Run(Record record, const Expedition& start)
    : record_(std::move(record)),
      expedition_(start),
      blockers_(start),
      in_view_(),
      explored_{},
      log_() {}

std::expected<Run, std::string> Run::start(Record record) {
  const Expedition beginning(record.seed);
  Run run(std::move(record), beginning);
  run.look_around(std::nullopt);
  const auto replayed = run.record_.replay([&run](const Expedition& reached, const Event& event) {
    run.expedition_ = reached;
    run.look_around(event);
  });
  if (!replayed) return std::unexpected(replayed.error());
  run.log("Every floor has a way back. Remember where you came from.");
  if (run.record_.finished) {
    run.log("Expedition sealed. Your history is saved; start another with --new.");
  } else {
    run.log(
        "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its current "
        "score.");
  }
  if (!run.record_.secret) run.log("Practice world: the same seed recreates the same expedition.");
  return run;
}

Run Run::fresh(Record record) {
  auto run = start(std::move(record));
  if (!run) panic("a fresh record starts");
  return std::move(*run);
}

std::expected<Event, Refusal> Run::apply(const Action& action) {
  const auto event = accept(action);
  if (event) look_around(*event);
  return event;
}

std::expected<Event, Refusal> Run::apply(const Action& action, ViewCache& views) {
  const auto event = accept(action);
  if (event) look_around(*event, views);
  return event;
}

std::expected<Event, Refusal> Run::accept(const Action& action) {
  if (record_.finished) return std::unexpected(Refusal::Sealed);
  const auto event = expedition_.apply(action);
  if (!event) return std::unexpected(event.error());
  record_.actions.push_back(action.code());
  if (std::optional<LogLine> line = event_line(*event)) log_.add(*line);
  if (expedition_.turns == kActionLimit) {
    log("Action limit reached. Press F to seal your result; Q saves and exits.");
  }
  return *event;
}

std::expected<Advance, Refusal> Run::after(const Action& action) const {
  Advance advance{*this, {}};
  const auto event = advance.run.apply(action);
  if (!event) return std::unexpected(event.error());
  advance.event = *event;
  return advance;
}

bool Run::finish() {
  if (record_.finished) return false;
  record_.finished = true;
  log_.add({LogLine::Kind::Finished, expedition_.score, {}});
  return true;
}

std::optional<Run> Run::after_finish() const {
  Run sealed = *this;
  if (!sealed.finish()) return std::nullopt;
  return sealed;
}

void Run::look_around(const std::optional<Event>& event) {
  refresh_blockers(event);
  see(cells_in_view(expedition_, blockers_));
}

void Run::look_around(const Event& event, ViewCache& views) {
  refresh_blockers(event);
  see(views.cells_in_view(expedition_, blockers_));
}

void Run::refresh_blockers(const std::optional<Event>& event) {
  // Only a dig opens a cell that stopped sight, and only a portal changes the floor.
  if (!event || std::holds_alternative<Dug>(*event) ||
      std::holds_alternative<PortalTaken>(*event)) {
    blockers_ = SightBlockers(expedition_);
  }
}

void Run::see(const CellSet& in_view) {
  in_view_ = in_view;
  // Each floor keeps its own memory across portal trips.
  explored_[expedition_.floor] |= in_view_;
}

}  // namespace burrowlight::expedition
