#include "python/states.hpp"

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

namespace burrowlight::python {

namespace {

// Every sentence a step can be refused with, so that a state keeps pointing at the game's
// own text rather than at a copy that would have to live somewhere.
std::optional<std::string_view> refusal_sentence(std::string_view text) {
  if (text.empty()) return std::string_view{};
  if (text == expedition::kSealedText) return expedition::kSealedText;
  constexpr std::array kRefusals{
      expedition::Refusal::Blocked,   expedition::Refusal::NotRock,
      expedition::Refusal::InsufficientCharge, expedition::Refusal::NoFlask,
      expedition::Refusal::ChargeFull, expedition::Refusal::NoPortal,
      expedition::Refusal::TurnLimit};
  for (const expedition::Refusal refusal : kRefusals) {
    if (text == expedition::message(refusal)) return expedition::message(refusal);
  }
  return std::nullopt;
}

template <class Byte>
py::bytes bytes_of(const std::vector<Byte>& values) {
  std::string bytes(values.size(), '\0');
  std::transform(values.begin(), values.end(), bytes.begin(),
                 [](Byte value) { return static_cast<char>(value); });
  return py::bytes(bytes);
}

// The bytes of `given` as values of `Byte`, which must be as many as `expected`.
template <class Byte>
std::vector<Byte> values_of(const py::handle& given, std::size_t expected) {
  const std::string bytes = given.cast<std::string>();
  if (bytes.size() != expected) throw py::value_error("not the values of a prototype state");
  std::vector<Byte> values(bytes.size());
  std::transform(bytes.begin(), bytes.end(), values.begin(),
                 [](char byte) { return static_cast<Byte>(static_cast<std::uint8_t>(byte)); });
  return values;
}

// The region of a game is always the area of its position or, before the first move,
// the starting area; the name is matched to point at the game's own text again.
std::string_view region_named(const std::string& name, std::int32_t x, std::int32_t y) {
  if (name == area_at(x, y).name) return area_at(x, y).name;
  if (name == starting_area().name) return starting_area().name;
  throw py::value_error("not the values of a prototype state");
}

}  // namespace

// The record is kept unsealed and the seal applied after the replay: a run sealed in play
// logs the seal's own line, which a replay of a sealed record does not.
py::tuple expedition_state_values(const env::ExpeditionState& state) {
  Record unsealed = state.run.record();
  unsealed.finished = false;
  return py::make_tuple(unsealed.to_pretty_json(), state.run.record().finished,
                        std::string(state.error));
}

env::ExpeditionState expedition_state_of(const py::tuple& values) {
  if (values.size() != 3) throw py::value_error("not the values of an expedition state");
  auto record = Record::from_json(values[0].cast<std::string>());
  if (!record) throw py::value_error(record.error());
  auto run = expedition::Run::start(std::move(*record));
  if (!run) throw py::value_error(run.error());
  if (values[1].cast<bool>()) run->finish();
  const std::optional<std::string_view> error = refusal_sentence(values[2].cast<std::string>());
  if (!error) throw py::value_error("not a sentence that refuses an expedition's step");
  run->reserve_all_actions();
  return {std::move(*run), *error};
}

py::tuple prototype_state_values(const Game& game) {
  std::vector<std::uint8_t> tiles(game.world.tiles.size());
  std::transform(game.world.tiles.begin(), game.world.tiles.end(), tiles.begin(),
                 [](Tile tile) { return static_cast<std::uint8_t>(tile); });
  std::vector<std::uint8_t> active;
  for (const Prop& prop : game.world.props) active.push_back(prop.active ? 1 : 0);
  std::vector<std::uint8_t> found;
  for (const Crystal crystal : game.found) found.push_back(static_cast<std::uint8_t>(crystal));
  const std::vector<std::string> log(game.log_lines.begin(), game.log_lines.end());
  return py::make_tuple(bytes_of(tiles), bytes_of(active), bytes_of(found),
                        bytes_of(game.visible), bytes_of(game.discovered), log,
                        std::string(game.region), game.x, game.y, game.turn, game.awakened);
}

Game prototype_state_of(const py::tuple& values) {
  if (values.size() != 11) throw py::value_error("not the values of a prototype state");
  Game game = Game::authored();
  const std::size_t cells = game.world.tiles.size();
  game.world.tiles = values_of<Tile>(values[0], cells);
  const auto active = values_of<std::uint8_t>(values[1], game.world.props.size());
  for (std::size_t index = 0; index < active.size(); ++index) {
    game.world.props[index].active = active[index] != 0;
  }
  const std::string found = values[2].cast<std::string>();
  game.found = values_of<Crystal>(values[2], std::min(found.size(), kCrystalCount));
  game.visible = values_of<std::uint8_t>(values[3], cells);
  game.discovered = values_of<std::uint8_t>(values[4], cells);
  const auto log = values[5].cast<std::vector<std::string>>();
  if (log.size() > kLogCapacity) throw py::value_error("not the values of a prototype state");
  game.log_lines.assign(log.begin(), log.end());
  game.x = values[7].cast<std::int32_t>();
  game.y = values[8].cast<std::int32_t>();
  if (!game.world.inside(game.x, game.y)) {
    throw py::value_error("not the values of a prototype state");
  }
  game.region = region_named(values[6].cast<std::string>(), game.x, game.y);
  game.turn = values[9].cast<std::uint64_t>();
  game.awakened = values[10].cast<bool>();
  return game;
}

}  // namespace burrowlight::python
