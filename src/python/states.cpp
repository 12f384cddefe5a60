#include "python/states.hpp"

#include <pybind11/operators.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/expedition_actions.hpp"
#include "core/expedition_run.hpp"
#include "python/arguments.hpp"

namespace burrowlight::python {

namespace {

[[noreturn]] void refuse(const std::string& reason) { throw py::value_error(reason); }

// Whether `refusal` could have refused the last step of `run`: the seal only once it is
// sealed, the rules' only before, the action limit's only at the limit.
bool could_refuse(std::optional<expedition::Refusal> refusal, const expedition::Run& run) {
  if (!refusal) return true;
  if (*refusal == expedition::Refusal::Sealed) return run.record().finished;
  if (run.record().finished) return false;
  return *refusal != expedition::Refusal::TurnLimit ||
         run.expedition().turns >= expedition::kActionLimit;
}

template <class Byte>
py::bytes packed(const std::vector<Byte>& values) {
  std::string bytes(values.size(), '\0');
  std::transform(values.begin(), values.end(), bytes.begin(),
                 [](Byte value) { return static_cast<char>(value); });
  return py::bytes(bytes);
}

// The bytes of `given` as `expected` codes of `Byte`, each below `limit`.
template <class Byte>
std::vector<Byte> codes_of(const py::handle& given, std::string_view what, std::size_t expected,
                           std::size_t limit) {
  const std::string bytes = bytes_of(given, what);
  if (bytes.size() != expected) {
    refuse(std::string(what) + " must be " + std::to_string(expected) + " bytes, not " +
           std::to_string(bytes.size()));
  }
  std::vector<Byte> values(bytes.size());
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    const auto code = static_cast<std::uint8_t>(bytes[index]);
    if (code >= limit) {
      refuse(std::string(what) + " holds " + std::to_string(code) + " at " + std::to_string(index) +
             "; its codes go from 0 to " + std::to_string(limit - 1));
    }
    values[index] = static_cast<Byte>(code);
  }
  return values;
}

// The region of a game is always the area of its position or, before the first move,
// the starting area; the name is matched to point at the game's own text again.
std::string_view region_named(const std::string& name, std::int32_t x, std::int32_t y) {
  if (name == area_at(x, y).name) return area_at(x, y).name;
  if (name == starting_area().name) return starting_area().name;
  refuse("PrototypeState region is neither the area of its position nor the starting area");
}

// Only a closed door changes in play: it opens.
void check_tiles(const World& given, const World& authored) {
  for (std::size_t cell = 0; cell < given.tiles.size(); ++cell) {
    const Tile tile = given.tiles[cell];
    const Tile was = authored.tiles[cell];
    if (tile != was && !(was == Tile::ClosedOakDoor && tile == Tile::OpenOakDoor)) {
      refuse("PrototypeState tiles differ from the location's at cell " + std::to_string(cell) +
             ", where no door opened");
    }
  }
}

// Each crystal is taken once; a crystal prop lies in the world exactly while its crystal
// is not taken, a flame may burn or not, and nothing else changes.
void check_props(const Game& game, const World& authored) {
  for (std::size_t index = 0; index < game.found.size(); ++index) {
    if (std::count(game.found.begin(), game.found.end(), game.found[index]) != 1)
      refuse("PrototypeState found holds a crystal twice");
  }
  for (std::size_t index = 0; index < game.world.props.size(); ++index) {
    const Prop& prop = game.world.props[index];
    bool allowed = prop.active == authored.props[index].active;
    if (const std::optional<Crystal> crystal = prop.kind.crystal()) {
      allowed = prop.active ==
                (std::find(game.found.begin(), game.found.end(), *crystal) == game.found.end());
    } else if (prop.kind.tag() == PropKind::Tag::Brazier ||
               prop.kind.tag() == PropKind::Tag::CandleStand) {
      allowed = true;
    }
    if (!allowed)
      refuse("PrototypeState active differs from the rules at prop " + std::to_string(index));
  }
}

void check_position(const Game& game) {
  const bool blocked =
      std::any_of(game.world.props.begin(), game.world.props.end(), [&](const Prop& prop) {
        return prop.x == game.x && prop.y == game.y && blocks_movement(prop.kind);
      });
  if (!walkable(game.world.tile(game.x, game.y)) || blocked)
    refuse("PrototypeState position is not a cell Pip can stand on");
}

// What is in view follows from the position and the tiles; what was ever seen holds it.
void check_sight(const Game& game) {
  Game seen = game;
  seen.update_visibility();
  if (seen.visible != game.visible)
    refuse("PrototypeState visible is not what is in view from its position");
  for (std::size_t cell = 0; cell < game.visible.size(); ++cell) {
    if (game.visible[cell] != 0 && game.discovered[cell] == 0)
      refuse("PrototypeState discovered lacks a cell that is in view");
  }
}

std::deque<std::string> log_of(const py::handle& given) {
  if (!PyList_Check(given.ptr()))
    throw py::type_error("PrototypeState log must be a list, not " + type_name(given));
  const auto lines = py::reinterpret_borrow<py::list>(given);
  if (lines.size() > kLogCapacity) {
    refuse("PrototypeState log holds " + std::to_string(lines.size()) + " lines; at most " +
           std::to_string(kLogCapacity) + " are kept");
  }
  std::deque<std::string> log;
  for (const py::handle line : lines) log.push_back(utf8_of(line, "a line of PrototypeState log"));
  return log;
}

}  // namespace

// The record is kept unsealed and the seal applied after the replay: a run sealed in play
// logs the seal's own line, which a replay of a sealed record does not.
py::object expedition_state_values(const env::ExpeditionState& state) {
  Record unsealed = state.run.record();
  unsealed.finished = false;
  return py::make_tuple(
      unsealed.to_pretty_json(), state.run.record().finished,
      state.error ? std::string(expedition::message(*state.error)) : std::string());
}

env::ExpeditionState expedition_state_of(const py::object& given) {
  const py::tuple values = tuple_of(given, 3, "ExpeditionState values");
  const std::string json = utf8_of(values[0], "ExpeditionState record");
  const bool sealed = truth_of(values[1], "ExpeditionState sealed");
  const std::string sentence = utf8_of(values[2], "ExpeditionState error");
  auto record = Record::from_json(json);
  if (!record) refuse(record.error());
  if (record->finished)
    refuse("ExpeditionState record must be unsealed; the seal is its second value");
  auto run = expedition::Run::start(std::move(*record));
  if (!run) refuse(run.error());
  if (sealed) run->finish();
  // The state a client hands back holds the sentence; it is read as the refusal it names.
  std::optional<expedition::Refusal> error;
  if (!sentence.empty()) {
    error = expedition::refusal_of_sentence(sentence);
    if (!error) refuse("not a sentence that refuses an expedition's step");
  }
  if (!could_refuse(error, *run))
    refuse("ExpeditionState error could not have refused its last step");
  run->reserve_all_actions();
  return {std::move(*run), error};
}

py::object prototype_state_values(const Game& game) {
  std::vector<std::uint8_t> tiles(game.world.tiles.size());
  std::transform(game.world.tiles.begin(), game.world.tiles.end(), tiles.begin(),
                 [](Tile tile) { return static_cast<std::uint8_t>(tile); });
  std::vector<std::uint8_t> active;
  for (const Prop& prop : game.world.props) active.push_back(prop.active ? 1 : 0);
  std::vector<std::uint8_t> found;
  for (const Crystal crystal : game.found) found.push_back(static_cast<std::uint8_t>(crystal));
  const std::vector<std::string> log(game.log_lines.begin(), game.log_lines.end());
  return py::make_tuple(packed(tiles), packed(active), packed(found), packed(game.visible),
                        packed(game.discovered), log, std::string(game.region), game.x, game.y,
                        game.turn, game.awakened);
}

Game prototype_state_of(const py::object& given) {
  const py::tuple values = tuple_of(given, 11, "PrototypeState values");
  const Game authored = Game::authored();
  Game game = authored;
  const std::size_t cells = game.world.tiles.size();
  game.world.tiles = codes_of<Tile>(values[0], "PrototypeState tiles", cells, kTileCount);
  const auto active =
      codes_of<std::uint8_t>(values[1], "PrototypeState active", game.world.props.size(), 2);
  for (std::size_t index = 0; index < active.size(); ++index) {
    game.world.props[index].active = active[index] != 0;
  }
  const std::size_t found = bytes_of(values[2], "PrototypeState found").size();
  if (found > kCrystalCount)
    refuse("PrototypeState found holds " + std::to_string(found) + " crystals; there are " +
           std::to_string(kCrystalCount));
  game.found = codes_of<Crystal>(values[2], "PrototypeState found", found, kCrystalCount);
  game.visible = codes_of<std::uint8_t>(values[3], "PrototypeState visible", cells, 2);
  game.discovered = codes_of<std::uint8_t>(values[4], "PrototypeState discovered", cells, 2);
  game.log_lines = log_of(values[5]);
  const std::string region = utf8_of(values[6], "PrototypeState region");
  game.x = static_cast<std::int32_t>(
      count_of(values[7], "PrototypeState x", 0, static_cast<std::uint64_t>(game.world.width - 1)));
  game.y = static_cast<std::int32_t>(count_of(values[8], "PrototypeState y", 0,
                                              static_cast<std::uint64_t>(game.world.height - 1)));
  game.region = region_named(region, game.x, game.y);
  game.turn = count_of(values[9], "PrototypeState turn", 0, UINT64_MAX);
  game.awakened = truth_of(values[10], "PrototypeState awakened");
  check_tiles(game.world, authored.world);
  check_props(game, authored.world);
  if (game.awakened && game.found.size() != kCrystalCount)
    refuse("PrototypeState is awakened without all three crystals found");
  check_position(game);
  check_sight(game);
  return game;
}

void bind_states(py::module_& module) {
  py::class_<env::ExpeditionState>(module, "ExpeditionState",
                                   "A copy of an expedition environment's whole state.")
      .def(py::self == py::self)
      .def(py::pickle(&expedition_state_values, &expedition_state_of));
  py::class_<Game>(module, "PrototypeState", "A copy of a prototype environment's whole state.")
      .def(py::self == py::self)
      .def(py::pickle(&prototype_state_values, &prototype_state_of));
}

}  // namespace burrowlight::python
