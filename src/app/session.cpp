#include "app/session.hpp"

#include <algorithm>
#include <utility>

#include "core/overloaded.hpp"
#include "core/panic.hpp"

namespace burrowlight::expedition {

namespace {

constexpr std::string_view kSealedText = "This expedition is sealed. Start another with --new.";

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

ApplyError refused(std::string_view text) {
  return ApplyError{ApplyError::Refused{std::string(text)}};
}

}  // namespace

Session::Session(burrowlight::Save opened_save, Record opened_record, Expedition start)
    : record(std::move(opened_record)),
      game(Game::from_world(world(start), start.x, start.y)),
      save(std::move(opened_save)),
      explored{},
      expedition(start) {}

Result<Session> Session::create(burrowlight::Save opened_save, Record opened_record) {
  if (auto replayed = opened_record.replay(); !replayed) {
    return std::unexpected(burrowlight::Error(std::move(replayed.error())));
  }
  const Expedition start(opened_record.seed);
  Session session(std::move(opened_save), std::move(opened_record), start);
  session.refresh();
  // The replay above only validated; this one also walks the map memory through every
  // position, which a saved record cannot tell otherwise.
  for (std::uint8_t code : session.record.actions) {
    std::optional<Action> action = Action::from_code(code);
    if (!action || !session.expedition.apply(*action)) panic("a validated record replays");
    session.refresh();
  }
  session.log("Every floor has a way back. Remember where you came from.");
  if (session.record.finished) {
    session.log("Expedition sealed. Your history is saved; start another with --new.");
  } else {
    session.log(
        "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its current "
        "score.");
  }
  if (!session.record.secret)
    session.log("Practice world: the same seed recreates the same expedition.");
  return session;
}

std::expected<Event, ApplyError> Session::apply(const Action& action) {
  if (record.finished) return std::unexpected(refused(kSealedText));
  Expedition next = expedition;
  auto event = next.apply(action);
  if (!event) return std::unexpected(refused(message(event.error())));

  Record next_record = record;
  next_record.actions.push_back(action.code());
  next_record.finished = false;
  if (auto written = burrowlight::Save::write(save.path(), next_record); !written) {
    return std::unexpected(ApplyError{ApplyError::Save{written.error()}});
  }

  expedition = next;
  record = std::move(next_record);
  refresh();
  if (std::optional<std::string> line = event_line(*event)) log(std::move(*line));
  if (expedition.turns == kActionLimit) {
    log("Action limit reached. Press F to seal your result; Q saves and exits.");
  }
  return *event;
}

Result<void> Session::finish() {
  if (record.finished) return {};
  Record next_record = record;
  next_record.finished = true;
  if (auto written = burrowlight::Save::write(save.path(), next_record); !written) return written;
  record = std::move(next_record);
  game.awakened = true;
  log("Expedition finished with " + std::to_string(expedition.score) +
      " score. Your progress is saved; start another with --new.");
  return {};
}

Action Session::human_move(Direction direction) const {
  const Step offset = step(direction);
  // Outside the floor `cell` reads as wall, so a step off the edge stays a move and the
  // rules refuse it.
  const Cell target = expedition.cell(expedition.x + offset.dx, expedition.y + offset.dy);
  if (target == Cell::SoftVein || target == Cell::HardVein) return Action{Dig{direction}};
  return Action{Move{direction}};
}

void Session::log(std::string line) { game.log(std::move(line)); }

void Session::refresh() {
  game.world = world(expedition);
  game.x = expedition.x;
  game.y = expedition.y;
  game.turn = expedition.turns;
  game.awakened = record.finished;

  // The field of view adds to this floor's own memory, so every floor keeps what was
  // seen on it across portal trips.
  FloorMemory& memory = explored[expedition.floor];
  game.discovered.assign(memory.begin(), memory.end());
  game.update_visibility();
  if (game.discovered.size() != memory.size()) panic("the rendered floor has one entry per cell");
  std::ranges::copy(game.discovered, memory.begin());
}

Result<Session> open(const std::optional<std::string>& save_path, bool new_expedition,
                     std::optional<std::uint64_t> seed) {
  std::string path;
  if (save_path) {
    path = *save_path;
  } else {
    auto default_path = save::default_path();
    if (!default_path) return std::unexpected(default_path.error());
    path = std::move(*default_path);
  }
  auto opened = burrowlight::Save::open(path, new_expedition, seed);
  if (!opened) return std::unexpected(opened.error());
  return Session::create(std::move(opened->first), std::move(opened->second));
}

}  // namespace burrowlight::expedition
