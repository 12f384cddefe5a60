// The replies of the headless prototype: its observation and its unknown-command reply.

#include <array>
#include <string>
#include <vector>

#include "headless/prototype_reply.hpp"
#include "headless/commands.hpp"
#include "headless/prototype_view.hpp"

namespace burrowlight::headless {

namespace {

bool is_visible(const Game& game, std::int32_t x, std::int32_t y) {
  if (!game.world.inside(x, y)) return false;
  const std::size_t cell = game.world.index(x, y);
  return cell < game.visible.size() && game.visible[cell] == 1;
}

// Tile glyphs are signs that JSON leaves as they are.
void write_map_rows(JsonWriter& out, const Game& game, std::vector<char>& map) {
  const World& world = game.world;
  map.resize(world.tiles.size());
  write_map(game, map);
  out.raw("\"map\":[");
  for (std::int32_t y = 0; y < world.height; ++y) {
    out.raw(y == 0 ? std::string_view("\"") : std::string_view(",\""));
    out.raw(
        std::string_view(map.data() + world.index(0, y), static_cast<std::size_t>(world.width)));
    out.raw('"');
  }
  out.raw(']');
}

void write_objective(JsonWriter& out, const Game& game) {
  out.raw("\"objective\":{\"completed\":");
  out.boolean(game.awakened);
  out.raw(",\"found\":[");
  for (std::size_t index = 0; index < game.found.size(); ++index) {
    if (index > 0) out.raw(',');
    out.string(name(game.found[index]));
  }
  out.raw(
      "],\"instruction\":\"Find three crystals and interact with the forest "
      "waystone.\",\"required\":3}");
}

void write_objects(JsonWriter& out, const Game& game) {
  out.raw("\"objects\":[");
  bool first = true;
  for (const Prop& prop : game.world.props) {
    if (!present(prop) || !is_visible(game, prop.x, prop.y)) continue;
    out.raw(first ? std::string_view("{\"active\":") : std::string_view(",{\"active\":"));
    first = false;
    out.boolean(prop.active);
    out.raw(",\"crystal\":");
    out.boolean(prop.kind.crystal().has_value());
    out.raw(",\"interactive\":");
    out.boolean(interactable(prop.kind));
    out.raw(",\"name\":");
    out.string(display_name(prop.kind));
    out.raw(",\"x\":");
    out.integer(prop.x);
    out.raw(",\"y\":");
    out.integer(prop.y);
    out.raw('}');
  }
  out.raw(']');
}

}  // namespace

PrototypeReplyWriter::PrototypeReplyWriter() {
  for (std::size_t code = 0; code < kTileCount; ++code) {
    tile_walkable_[code] = walkable(static_cast<Tile>(code));
    for (const bool blocked : {false, true}) {
      JsonWriter text;
      text.raw(blocked ? "{\"blocked\":true,\"terrain\":" : "{\"blocked\":false,\"terrain\":");
      text.string(display_name(static_cast<Tile>(code)));
      text.raw(",\"x\":");
      tile_openings_[code][blocked ? 1 : 0] = std::string(text.text());
    }
  }
}

std::string_view PrototypeReplyWriter::prototype_unknown_command(std::uint64_t turn) {
  out_.clear();
  out_.raw("{\"error\":");
  out_.string(kPrototypeUnknownCommand);
  out_.raw(",\"ok\":false,\"turn\":");
  out_.integer(turn);
  out_.raw("}\n");
  return out_.text();
}

namespace {

constexpr auto kAlwaysLegal = legal_actions_opening({
    command_of(kPrototypeCommands, CommandKind::Look).word,
    command_for(kPrototypeCommands, PrototypeAction{PrototypeAction::Wait{}}).word,
});
constexpr std::string_view kInteractWord =
    command_for(kPrototypeCommands, PrototypeAction{PrototypeAction::Interact{}}).word;

}  // namespace

void PrototypeReplyWriter::write_prototype_legal_actions(const Game& game,
                                                std::optional<std::size_t> target) {
  out_.raw(kAlwaysLegal.view());
  const std::array<bool, kPrototypeMoveCount> legal = legal_moves(game, blocked_);
  for (std::size_t index = 0; index < legal.size(); ++index) {
    if (!legal[index]) continue;
    out_.raw(",\"");
    out_.raw(kPrototypeActions[index].word);
    out_.raw('"');
  }
  if (target) {
    out_.raw(",\"");
    out_.raw(kInteractWord);
    out_.raw('"');
  }
  out_.raw(']');
}

void PrototypeReplyWriter::write_prototype_visible_tiles(const Game& game) {
  const World& world = game.world;
  out_.raw("\"visible_tiles\":[");
  bool first = true;
  for (std::int32_t y = 0; y < world.height; ++y) {
    for (std::int32_t x = 0; x < world.width; ++x) {
      const std::size_t cell = world.index(x, y);
      if (cell >= game.visible.size() || game.visible[cell] != 1) continue;
      const Tile tile = world.tiles[cell];
      const bool blocked = !tile_walkable_[static_cast<std::size_t>(tile)] || blocked_[cell] == 1;
      if (!first) out_.raw(',');
      first = false;
      out_.raw(tile_openings_[static_cast<std::size_t>(tile)][blocked ? 1 : 0]);
      out_.integer(x);
      out_.raw(",\"y\":");
      out_.integer(y);
      out_.raw('}');
    }
  }
  out_.raw(']');
}

std::string_view PrototypeReplyWriter::prototype_observation(const Game& game) {
  // Where props block, found once, so that neither the legal moves nor the tile listing
  // scan the props cell by cell.
  const World& world = game.world;
  find_blocking_props(world, blocked_);
  const std::optional<std::size_t> target = game.interaction_target();

  JsonWriter& out = out_;
  out.clear();
  out.raw("{\"game\":\"BurrowLight\",");
  write_prototype_legal_actions(game, target);
  out.raw(',');
  write_map_rows(out, game, map_);
  out.raw(
      ",\"map_legend\":\"@ player, ? undiscovered, # solid stone, , grass, ~ water, + closed "
      "door, / open door, = carpet, . floor; objects are listed separately\",\"messages\":");
  out.string_array(game.log_lines);
  out.raw(",\"nearby_interaction\":");
  if (target) {
    out.string(display_name(world.props[*target].kind));
  } else {
    out.raw("null");
  }
  out.raw(',');
  write_objective(out, game);
  out.raw(',');
  write_objects(out, game);
  out.raw(",\"ok\":true,\"position\":{\"x\":");
  out.integer(game.x);
  out.raw(",\"y\":");
  out.integer(game.y);
  out.raw("},\"region\":");
  out.string(game.region);
  out.raw(",\"turn\":");
  out.integer(game.turn);
  out.raw(",\"type\":\"observation\",");
  write_prototype_visible_tiles(game);
  out.raw("}\n");
  return out.text();
}

}  // namespace burrowlight::headless
