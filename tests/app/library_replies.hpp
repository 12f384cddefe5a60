#pragma once
// The replies as the JSON library builds them: a tree of values with sorted keys, dumped
// compact. The writer of the program must produce exactly these bytes; this is the one
// place the library still builds a reply.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/expedition_run.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"

namespace burrowlight::headless::library {

using nlohmann::json;

inline bool present(const Prop& prop) { return prop.active || !prop.kind.crystal(); }

inline bool flag(const std::vector<std::uint8_t>& flags, std::size_t cell) {
  return cell < flags.size() && flags[cell] == 1;
}

inline json prototype_observation(const Game& game) {
  const World& world = game.world;
  std::vector<std::uint8_t> blocked(world.tiles.size(), 0);
  for (const Prop& prop : world.props) {
    if (world.inside(prop.x, prop.y) && present(prop) && blocks_movement(prop.kind)) {
      blocked[world.index(prop.x, prop.y)] = 1;
    }
  }
  json legal = json::array({"look", "wait"});
  const std::pair<std::string_view, std::pair<int, int>> directions[] = {
      {"north", {0, -1}}, {"south", {0, 1}}, {"west", {-1, 0}}, {"east", {1, 0}}};
  for (const auto& [word, step] : directions) {
    const std::int32_t x = game.x + step.first;
    const std::int32_t y = game.y + step.second;
    if (!world.inside(x, y)) continue;
    const Tile tile = world.tile(x, y);
    if (tile == Tile::ClosedOakDoor || (walkable(tile) && blocked[world.index(x, y)] == 0)) {
      legal.push_back(word);
    }
  }
  const std::optional<std::size_t> target = game.interaction_target();
  if (target) legal.push_back("interact");

  json map = json::array();
  json tiles = json::array();
  for (std::int32_t y = 0; y < world.height; ++y) {
    std::string row;
    for (std::int32_t x = 0; x < world.width; ++x) {
      const std::size_t cell = world.index(x, y);
      const bool player = x == game.x && y == game.y;
      row += player ? '@' : flag(game.discovered, cell) ? glyph(world.tile(x, y)) : '?';
      if (!flag(game.visible, cell)) continue;
      const Tile tile = world.tile(x, y);
      tiles.push_back({{"blocked", !walkable(tile) || blocked[cell] == 1},
                       {"terrain", display_name(tile)},
                       {"x", x},
                       {"y", y}});
    }
    map.push_back(row);
  }
  json objects = json::array();
  for (const Prop& prop : world.props) {
    if (!present(prop) || !world.inside(prop.x, prop.y) ||
        !flag(game.visible, world.index(prop.x, prop.y))) {
      continue;
    }
    objects.push_back({{"active", prop.active},
                       {"crystal", prop.kind.crystal().has_value()},
                       {"interactive", interactable(prop.kind)},
                       {"name", display_name(prop.kind)},
                       {"x", prop.x},
                       {"y", prop.y}});
  }
  json found = json::array();
  for (Crystal crystal : game.found) found.push_back(name(crystal));
  return {
      {"game", "BurrowLight"},
      {"legal_actions", legal},
      {"map", map},
      {"map_legend",
       "@ player, ? undiscovered, # solid stone, , grass, ~ water, + closed door, / open door, "
       "= carpet, . floor; objects are listed separately"},
      {"messages", game.log_lines},
      {"nearby_interaction",
       target ? json(display_name(world.props[*target].kind)) : json(nullptr)},
      {"objective",
       {{"completed", game.awakened},
        {"found", found},
        {"instruction", "Find three crystals and interact with the forest waystone."},
        {"required", 3}}},
      {"objects", objects},
      {"ok", true},
      {"position", {{"x", game.x}, {"y", game.y}}},
      {"region", game.region},
      {"turn", game.turn},
      {"type", "observation"},
      {"visible_tiles", tiles},
  };
}

inline json expedition_observation(const expedition::Run& run) {
  const Expedition& expedition = run.expedition();
  const Record& record = run.record();
  const expedition::CellSet& in_view = run.in_view();
  const expedition::CellSet& explored = run.explored(expedition.floor);
  json messages = json::array();
  for (std::size_t index = 0; index < run.log_lines().size(); ++index) {
    messages.push_back(run.log_lines()[index].text());
  }
  const std::string visible_glyphs = "#.rRCF<>";
  const std::string remembered_glyphs = "#.##....";
  json legal = json::array({"look", "save", "finish", "quit"});
  for (std::string_view word : expedition::kActionWords) {
    Expedition trial = expedition;
    if (!record.finished && trial.apply(*expedition::Action::parse(word))) legal.push_back(word);
  }
  json map = json::array();
  json objects = json::array();
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    std::string row;
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const auto cell = static_cast<std::size_t>(y * kFloorWidth + x);
      const auto kind = static_cast<std::size_t>(expedition.cell(x, y));
      const bool player = x == expedition.x && y == expedition.y;
      row += player                    ? '@'
             : in_view.contains(cell)  ? visible_glyphs[kind]
             : explored.contains(cell) ? remembered_glyphs[kind]
                                       : '?';
      if (kind < 2 || !in_view.contains(cell)) continue;
      objects.push_back({{"dig_cost", kind == 2 || kind == 3 ? json(kind) : json(nullptr)},
                         {"kind", std::string(1, visible_glyphs[kind])},
                         {"x", x},
                         {"y", y}});
    }
    map.push_back(row);
  }
  const auto underfoot = static_cast<std::size_t>(expedition.cell(expedition.x, expedition.y));
  return {
      {"capacity", 12},
      {"charge", expedition.charge},
      {"expedition_id", record.secret ? json(*record.expedition_id()) : json(nullptr)},
      {"finished", record.finished},
      {"floor", expedition.floor},
      {"floors", 3},
      {"game", "BurrowLight"},
      {"legal_actions", legal},
      {"map", map},
      {"map_legend",
       "@ player, ? undiscovered, # wall or remembered rock, . ground, r soft vein, R hard "
       "vein, C crystal, F flask, < up portal, > down portal"},
      {"max_actions", 512},
      {"messages", messages},
      {"mode", "expedition"},
      {"objects", objects},
      {"ok", true},
      {"position", {{"x", expedition.x}, {"y", expedition.y}}},
      {"practice", !record.secret.has_value()},
      {"rules_version", 2},
      {"score", expedition.score},
      {"seed", expedition.seed},
      {"standing_on", std::string(1, visible_glyphs[underfoot])},
      {"turn", expedition.turns},
      {"type", "observation"},
  };
}

inline json expedition_failure(const expedition::Run& run, std::string_view reason) {
  json reply = expedition_observation(run);
  reply["ok"] = false;
  reply["error"] = reason;
  return reply;
}

inline json prototype_unknown_command(std::uint64_t turn) {
  return {{"error", kPrototypeUnknownCommand}, {"ok", false}, {"turn", turn}};
}

inline json goodbye() { return {{"ok", true}, {"type", "goodbye"}}; }

// A reply line as the library writes it.
inline std::string line(const json& value) { return value.dump() + "\n"; }

}  // namespace burrowlight::headless::library
