#include <algorithm>
#include <string>
#include <vector>

#include "headless/observations.hpp"

namespace burrowlight::headless {

namespace {

using nlohmann::json;

constexpr std::string_view kMapLegend =
    "@ player, ? undiscovered, # solid stone, , grass, ~ water, + closed door, / open door, "
    "= carpet, . floor; objects are listed separately";
constexpr std::string_view kInstruction =
    "Find three crystals and interact with the forest waystone.";
constexpr int kRequiredCrystals = 3;

// A crystal that has been taken no longer exists for any rule or listing.
bool present(const Prop& prop) { return prop.active || !prop.kind.crystal(); }

// One byte per cell: 1 where a present prop stops movement. Built once per
// observation so that neither the legal moves nor the tile listing scan the props
// cell by cell.
std::vector<std::uint8_t> blocking_props(const World& world) {
  std::vector<std::uint8_t> blocked(world.tiles.size(), 0);
  for (const Prop& prop : world.props) {
    if (world.inside(prop.x, prop.y) && present(prop) && blocks_movement(prop.kind)) {
      blocked[world.index(prop.x, prop.y)] = 1;
    }
  }
  return blocked;
}

bool is_visible(const Game& game, std::int32_t x, std::int32_t y) {
  if (!game.world.inside(x, y)) return false;
  std::size_t cell = game.world.index(x, y);
  return cell < game.visible.size() && game.visible[cell] == 1;
}

bool is_discovered(const Game& game, std::int32_t x, std::int32_t y) {
  std::size_t cell = game.world.index(x, y);
  return cell < game.discovered.size() && game.discovered[cell] == 1;
}

// A closed door counts as a legal move because bumping into it opens it.
bool can_step(const Game& game, const std::vector<std::uint8_t>& blocked, std::int32_t dx,
              std::int32_t dy) {
  std::int64_t x = std::int64_t{game.x} + dx;
  std::int64_t y = std::int64_t{game.y} + dy;
  if (x < 0 || x >= game.world.width || y < 0 || y >= game.world.height) return false;
  auto column = static_cast<std::int32_t>(x);
  auto row = static_cast<std::int32_t>(y);
  Tile tile = game.world.tile(column, row);
  if (tile == Tile::ClosedOakDoor) return true;
  return walkable(tile) && blocked[game.world.index(column, row)] == 0;
}

json legal_actions(const Game& game, const std::vector<std::uint8_t>& blocked) {
  struct Direction {
    std::string_view word;
    std::int32_t dx;
    std::int32_t dy;
  };
  constexpr Direction kDirections[] = {
      {"north", 0, -1}, {"south", 0, 1}, {"west", -1, 0}, {"east", 1, 0}};
  json actions = json::array({"look", "wait"});
  for (const Direction& direction : kDirections) {
    if (can_step(game, blocked, direction.dx, direction.dy)) actions.push_back(direction.word);
  }
  if (game.interaction_target()) actions.push_back("interact");
  return actions;
}

json text_map(const Game& game) {
  json rows = json::array();
  for (std::int32_t y = 0; y < game.world.height; ++y) {
    std::string row(static_cast<std::size_t>(game.world.width), '?');
    for (std::int32_t x = 0; x < game.world.width; ++x) {
      auto column = static_cast<std::size_t>(x);
      if (x == game.x && y == game.y) {
        row[column] = '@';
      } else if (is_discovered(game, x, y)) {
        row[column] = glyph(game.world.tile(x, y));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// Hundreds of entries per reply: they are built member by member, because the
// library's initializer lists copy every value once more on the way in.
json visible_tiles(const Game& game, const std::vector<std::uint8_t>& blocked) {
  json tiles(json::value_t::array);
  auto& list = tiles.get_ref<json::array_t&>();
  list.reserve(static_cast<std::size_t>(std::count(game.visible.begin(), game.visible.end(), 1)));
  for (std::int32_t y = 0; y < game.world.height; ++y) {
    for (std::int32_t x = 0; x < game.world.width; ++x) {
      if (!is_visible(game, x, y)) continue;
      Tile tile = game.world.tile(x, y);
      json entry(json::value_t::object);
      auto& members = entry.get_ref<json::object_t&>();
      members.emplace("blocked", !walkable(tile) || blocked[game.world.index(x, y)] == 1);
      members.emplace("terrain", display_name(tile));
      members.emplace("x", x);
      members.emplace("y", y);
      list.push_back(std::move(entry));
    }
  }
  return tiles;
}

json objects(const Game& game) {
  json listed = json::array();
  for (const Prop& prop : game.world.props) {
    if (!present(prop) || !is_visible(game, prop.x, prop.y)) continue;
    listed.push_back({
        {"active", prop.active},
        {"crystal", prop.kind.crystal().has_value()},
        {"interactive", interactable(prop.kind)},
        {"name", display_name(prop.kind)},
        {"x", prop.x},
        {"y", prop.y},
    });
  }
  return listed;
}

json objective(const Game& game) {
  json found = json::array();
  for (Crystal crystal : game.found) found.push_back(name(crystal));
  return {
      {"completed", game.awakened},
      {"found", std::move(found)},
      {"instruction", kInstruction},
      {"required", kRequiredCrystals},
  };
}

json nearby_interaction(const Game& game) {
  std::optional<std::size_t> target = game.interaction_target();
  if (!target) return nullptr;
  return display_name(game.world.props[*target].kind);
}

}  // namespace

json prototype_observation(const Game& game) {
  std::vector<std::uint8_t> blocked = blocking_props(game.world);
  json messages = json::array();
  for (const std::string& line : game.log_lines) messages.push_back(line);
  return {
      {"game", "BurrowLight"},
      {"legal_actions", legal_actions(game, blocked)},
      {"map", text_map(game)},
      {"map_legend", kMapLegend},
      {"messages", std::move(messages)},
      {"nearby_interaction", nearby_interaction(game)},
      {"objective", objective(game)},
      {"objects", objects(game)},
      {"ok", true},
      {"position", {{"x", game.x}, {"y", game.y}}},
      {"region", game.region},
      {"turn", game.turn},
      {"type", "observation"},
      {"visible_tiles", visible_tiles(game, blocked)},
  };
}

}  // namespace burrowlight::headless
