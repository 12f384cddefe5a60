#include "core/world.hpp"

#include <array>

#include "base/panic.hpp"

namespace burrowlight {

namespace {

struct TileRule {
  std::string_view display_name;
  char glyph;
  bool walkable;
  bool blocks_sight;
};

// Indexed by tile code.
constexpr std::array<TileRule, kTileCount> kTileRules{{
    {"darkness", ' ', false, true},
    {"cave rock", '#', false, true},
    {"castle wall", '#', false, true},
    {"moss and grass", ',', true, false},
    {"worn stone path", '.', true, false},
    {"marble floor", '.', true, false},
    {"garden mosaic", '.', true, false},
    {"walnut floor", '.', true, false},
    {"crypt flagstones", '.', true, false},
    {"crimson runner", '=', true, false},
    {"reflecting pool", '~', false, false},
    // Bumping into a closed door opens it, but it cannot be entered while closed.
    {"closed oak door", '+', false, true},
    {"open oak door", '/', true, false},
}};

constexpr std::array<std::string_view, 3> kCrystalNames{
    "Emerald of Thorns",
    "Sapphire of Silence",
    "Amethyst of Echoes",
};

struct PropRule {
  std::string_view display_name;
  bool blocks_movement;
  bool interactable;
};

// Indexed by tag. A crystal's display name comes from the crystal itself.
constexpr std::array<PropRule, 20> kPropRules{{
    {"silverleaf tree", true, false},
    {"moon fern", false, false},
    {"velvet roses", false, false},
    {"glowing mushrooms", false, false},
    {"carved pillar", true, false},
    {"stained-glass window", false, false},
    {"old bookshelves", true, true},
    {"sealed sarcophagus", true, true},
    {"stone bench", true, false},
    {"faded royal banner", false, false},
    {"brazier", false, true},
    {"candle stand", false, true},
    {"", false, true},
    {"forest waystone", false, true},
    {"Moss, your fellow goblin", false, true},
    {"ember flask", false, false},
    {"ascending portal", false, false},
    {"descending portal", false, false},
    {"soft vein: 2 charge", false, false},
    {"hard vein: 3 charge", false, false},
}};

// A code outside the tables can only come from a cast that went wrong.
const TileRule& rule(Tile tile) {
  auto code = static_cast<std::size_t>(tile);
  if (code >= kTileRules.size()) panic("tile code is known");
  return kTileRules[code];
}

const PropRule& rule(PropKind kind) {
  auto code = static_cast<std::size_t>(kind.tag());
  if (code >= kPropRules.size()) panic("prop kind is known");
  return kPropRules[code];
}

}  // namespace

std::string_view display_name(Tile tile) { return rule(tile).display_name; }

char glyph(Tile tile) { return rule(tile).glyph; }

bool walkable(Tile tile) { return rule(tile).walkable; }

bool blocks_sight(Tile tile) { return rule(tile).blocks_sight; }

std::string_view name(Crystal crystal) {
  auto code = static_cast<std::size_t>(crystal);
  if (code >= kCrystalNames.size()) panic("crystal is known");
  return kCrystalNames[code];
}

std::string_view display_name(PropKind kind) {
  if (auto crystal = kind.crystal()) return name(*crystal);
  return rule(kind).display_name;
}

bool blocks_movement(PropKind kind) { return rule(kind).blocks_movement; }

bool interactable(PropKind kind) { return rule(kind).interactable; }

World World::filled(std::int32_t width, std::int32_t height, Tile tile) {
  if (width < 0 || height < 0) panic("world dimensions are not negative");
  auto cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  return World{std::vector<Tile>(cells, tile), {}, width, height};
}

}  // namespace burrowlight
