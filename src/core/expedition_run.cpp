#include "core/expedition_run.hpp"

#include <algorithm>
#include <utility>

#include "core/expedition_world.hpp"
#include "core/overloaded.hpp"
#include "core/panic.hpp"

namespace burrowlight::expedition {

namespace {

// The log line of an accepted action's event; moving and waiting speak for themselves.
std::optional<std::string> event_line(const Event& event) {
  return std::visit(
      Overloaded{
          [](Moved) -> std::optional<std::string> { return std::nullopt; },
          [](Dug dug) -> std::optional<std::string> {
            return "The vein breaks. Spent " + std::to_string(dug.cost) + " charge.";
          },
          [](CrystalTaken taken) -> std::optional<std::string> {
            return "A crystal sings: +" + std::to_string(taken.value) + " score. Saved.";
          },
          [](FlaskUsed used) -> std::optional<std::string> {
            return "Ember returns to the drill: +" + std::to_string(used.gained) + " charge.";
          },
          [](PortalTaken portal) -> std::optional<std::string> {
            return "Depth " + std::to_string(portal.floor + 1) +
                   ". The passage behind you remains open.";
          },
          [](Waited) -> std::optional<std::string> { return std::nullopt; },
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
      game_(Game::from_world(world(start), start.x, start.y)),
      explored_{},
      expedition_(start) {}

std::expected<Run, std::string> Run::start(Record record) {
  if (auto replayed = record.replay(); !replayed) return std::unexpected(replayed.error());
  const Expedition start(record.seed);
  Run run(std::move(record), start);
  run.refresh();
  for (std::uint8_t code : run.record_.actions) {
    std::optional<Action> action = Action::from_code(code);
    if (!action || !run.expedition_.apply(*action)) panic("a validated record replays");
    run.refresh();
  }
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

std::expected<Advance, std::string_view> Run::after(const Action& action) const {
  if (record_.finished) return std::unexpected(kSealedText);
  Expedition next = expedition_;
  const auto event = next.apply(action);
  if (!event) return std::unexpected(message(event.error()));

  Advance advance{*this, *event};
  Run& run = advance.run;
  run.expedition_ = next;
  run.record_.actions.push_back(action.code());
  run.refresh();
  if (std::optional<std::string> line = event_line(*event)) run.log(std::move(*line));
  if (run.expedition_.turns == kActionLimit) {
    run.log("Action limit reached. Press F to seal your result; Q saves and exits.");
  }
  return advance;
}

std::optional<Run> Run::after_finish() const {
  if (record_.finished) return std::nullopt;
  Run run = *this;
  run.record_.finished = true;
  run.game_.awakened = true;
  run.log("Expedition finished with " + std::to_string(expedition_.score) +
          " score. Your progress is saved; start another with --new.");
  return run;
}

void Run::refresh() {
  game_.world = world(expedition_);
  game_.x = expedition_.x;
  game_.y = expedition_.y;
  game_.turn = expedition_.turns;
  game_.awakened = record_.finished;

  // The field of view adds to this floor's own memory, so every floor keeps what was
  // seen on it across portal trips.
  FloorMemory& memory = explored_[expedition_.floor];
  game_.discovered.assign(memory.begin(), memory.end());
  game_.update_visibility();
  if (game_.discovered.size() != memory.size()) panic("the rendered floor has one entry per cell");
  std::ranges::copy(game_.discovered, memory.begin());
}

}  // namespace burrowlight::expedition
