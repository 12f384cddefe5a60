// The replies of the headless prototype: its observation and its unknown-command reply.

#include <array>
#include <string>
#include <vector>

#include "headless/replies.hpp"

namespace burrowlight::headless {

namespace {

// A crystal that has been taken no longer exists for any rule or listing.
bool present(const Prop& prop) { return prop.active || !prop.kind.crystal(); }

bool is_visible(const Game& game, std::int32_t x, std::int32_t y) {
  if (!game.world.inside(x, y)) return false;
  const std::size_t cell = game.world.index(x, y);
  return cell < game.visible.size() && game.visible[cell] == 1;
}

// Tile glyphs are signs that JSON leaves as they are.
void write_map(JsonWriter& out, const Game& game, const std::array<char, kTileCount>& glyphs) {
  const World& world = game.world;
  out.raw("\"map\":[");
  std::vector<char> row(static_cast<std::size_t>(world.width));
  for (std::int32_t y = 0; y < world.height; ++y) {
    out.raw(y == 0 ? std::string_view("\"") : std::string_view(",\""));
    for (std::int32_t x = 0; x < world.width; ++x) {
      const std::size_t cell = world.index(x, y);
      const bool discovered = cell < game.discovered.size() && game.discovered[cell] == 1;
      row[static_cast<std::size_t>(x)] =
          discovered ? glyphs[static_cast<std::size_t>(world.tiles[cell])] : '?';
    }
    if (y == game.y && world.inside(game.x, game.y)) row[static_cast<std::size_t>(game.x)] = '@';
    out.raw(std::string_view(row.data(), row.size()));
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

ReplyWriter::ReplyWriter() {
  for (std::size_t code = 0; code < kTileCount; ++code) {
    tile_glyphs_[code] = glyph(static_cast<Tile>(code));
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

std::string_view ReplyWriter::prototype_unknown_command(std::uint64_t turn) {
  out_.clear();
  out_.raw("{\"error\":");
  out_.string(kPrototypeUnknownCommand);
  out_.raw(",\"ok\":false,\"turn\":");
  out_.integer(turn);
  out_.raw("}\n");
  return out_.text();
}

// A closed door counts as a legal move because bumping into it opens it.
void ReplyWriter::write_prototype_legal_actions(const Game& game,
                                                std::optional<std::size_t> target) {
  struct Direction {
    std::string_view word;
    std::int32_t dx;
    std::int32_t dy;
  };
  constexpr Direction kDirections[] = {
      {",\"north\"", 0, -1}, {",\"south\"", 0, 1}, {",\"west\"", -1, 0}, {",\"east\"", 1, 0}};
  out_.raw("\"legal_actions\":[\"look\",\"wait\"");
  for (const Direction& direction : kDirections) {
    const std::int64_t x = std::int64_t{game.x} + direction.dx;
    const std::int64_t y = std::int64_t{game.y} + direction.dy;
    if (x < 0 || x >= game.world.width || y < 0 || y >= game.world.height) continue;
    const std::size_t cell =
        game.world.index(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    const Tile tile = game.world.tiles[cell];
    if (tile == Tile::ClosedOakDoor || (walkable(tile) && blocked_[cell] == 0)) {
      out_.raw(direction.word);
    }
  }
  if (target) out_.raw(",\"interact\"");
  out_.raw(']');
}

void ReplyWriter::write_prototype_visible_tiles(const Game& game) {
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

std::string_view ReplyWriter::prototype_observation(const Game& game) {
  // One byte per cell where a present prop stops movement, so that neither the legal
  // moves nor the tile listing scan the props cell by cell.
  const World& world = game.world;
  blocked_.assign(world.tiles.size(), 0);
  for (const Prop& prop : world.props) {
    if (world.inside(prop.x, prop.y) && present(prop) && blocks_movement(prop.kind)) {
      blocked_[world.index(prop.x, prop.y)] = 1;
    }
  }
  const std::optional<std::size_t> target = game.interaction_target();

  JsonWriter& out = out_;
  out.clear();
  out.raw("{\"game\":\"BurrowLight\",");
  write_prototype_legal_actions(game, target);
  out.raw(',');
  write_map(out, game, tile_glyphs_);
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
