#include "core/expedition_world.hpp"

#include <array>
#include <optional>

namespace burrowlight::expedition {

namespace {

// Open cells take the ground of their zone: three six-column bands and the last
// column, with the lower rows reversing the order of the upper ones.
constexpr std::int32_t kZoneWidth = 6;
constexpr std::int32_t kLastUpperRow = 5;
constexpr std::array<Tile, 4> kUpperZones = {Tile::MarbleFloor, Tile::WalnutFloor,
                                             Tile::GardenMosaic, Tile::CryptFlagstones};
constexpr std::array<Tile, 4> kLowerZones = {Tile::MossAndGrass, Tile::CrimsonRunner,
                                             Tile::CryptFlagstones, Tile::GardenMosaic};

// Each floor's crystal is a different one, deepest last.
constexpr std::array<Crystal, kFloorCount> kFloorCrystals = {
    Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence, Crystal::AmethystOfEchoes};

// Furnishing that stands on fixed cells, but only while that cell is of the given kind:
// a decoration never sits on a dug-out wall or on a vein.
struct Decoration {
  std::int32_t x;
  std::int32_t y;
  Cell cell;
  PropKind::Tag kind;
};

constexpr std::array<Decoration, 13> kDecorationList = {{
    {3, 0, Cell::Wall, PropKind::Tag::StainedGlassWindow},
    {9, 0, Cell::Wall, PropKind::Tag::StainedGlassWindow},
    {15, 0, Cell::Wall, PropKind::Tag::StainedGlassWindow},
    {0, 3, Cell::Wall, PropKind::Tag::OldBookshelves},
    {0, 9, Cell::Wall, PropKind::Tag::SealedSarcophagus},
    {18, 3, Cell::Wall, PropKind::Tag::CandleStand},
    {18, 9, Cell::Wall, PropKind::Tag::CandleStand},
    {3, 12, Cell::Wall, PropKind::Tag::FadedRoyalBanner},
    {9, 12, Cell::Wall, PropKind::Tag::FadedRoyalBanner},
    {15, 12, Cell::Wall, PropKind::Tag::FadedRoyalBanner},
    {16, 1, Cell::Ground, PropKind::Tag::GlowingMushrooms},
    {1, 11, Cell::Ground, PropKind::Tag::GlowingMushrooms},
    {4, 11, Cell::Ground, PropKind::Tag::MoonFern},
}};

// The decoration of each cell of a floor, found by the cell's index: every floor is
// rebuilt after every accepted action.
constexpr std::array<std::optional<Decoration>, kCellsPerFloor> kDecorations = [] {
  std::array<std::optional<Decoration>, kCellsPerFloor> decorations{};
  for (const Decoration& decoration : kDecorationList) {
    decorations[static_cast<std::size_t>(decoration.y * kFloorWidth + decoration.x)] = decoration;
  }
  return decorations;
}();

Tile ground_tile(std::int32_t x, std::int32_t y) {
  const auto zone = static_cast<std::size_t>(x / kZoneWidth);
  return y <= kLastUpperRow ? kUpperZones[zone] : kLowerZones[zone];
}

Tile tile_of(Cell cell, std::int32_t x, std::int32_t y) {
  switch (cell) {
    case Cell::SoftVein:
    case Cell::HardVein:
      return Tile::CaveRock;
    case Cell::Wall:
      return Tile::CastleWall;
    case Cell::Ground:
    case Cell::Crystal:
    case Cell::Flask:
    case Cell::UpPortal:
    case Cell::DownPortal:
      break;
  }
  return ground_tile(x, y);
}

std::optional<PropKind> prop_of(Cell cell, std::int32_t x, std::int32_t y, std::size_t floor) {
  switch (cell) {
    case Cell::SoftVein:
      return PropKind::Tag::SoftVein;
    case Cell::HardVein:
      return PropKind::Tag::HardVein;
    case Cell::Crystal:
      return PropKind::of_crystal(kFloorCrystals[floor]);
    case Cell::Flask:
      return PropKind::Tag::EmberFlask;
    case Cell::UpPortal:
      return PropKind::Tag::AscendingPortal;
    case Cell::DownPortal:
      return PropKind::Tag::DescendingPortal;
    case Cell::Wall:
    case Cell::Ground:
      break;
  }
  const std::optional<Decoration>& decoration =
      kDecorations[static_cast<std::size_t>(y * kFloorWidth + x)];
  if (decoration && decoration->cell == cell) return decoration->kind;
  return std::nullopt;
}

}  // namespace

World world(const Expedition& expedition) {
  // At most 13 decorations, 7 veins, 3 crystals, 6 flasks and 2 portals.
  constexpr std::size_t kMostProps = 31;
  World rendered = World::filled(kFloorWidth, kFloorHeight, Tile::CastleWall);
  rendered.props.reserve(kMostProps);
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const Cell cell = expedition.cell(x, y);
      rendered.set(x, y, tile_of(cell, x, y));
      if (std::optional<PropKind> kind = prop_of(cell, x, y, expedition.floor)) {
        rendered.props.push_back(Prop{x, y, *kind, true});
      }
    }
  }
  return rendered;
}

}  // namespace burrowlight::expedition
