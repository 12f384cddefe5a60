// The current floor as a grid world: tiles by cell and zone, and the props in row-major
// order, decorations only where their cell still has its kind.

#include "core/expedition_world.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace burrowlight::expedition {
namespace {

using Props = std::vector<std::tuple<std::int32_t, std::int32_t, PropKind, bool>>;

Props props_of(const World& world) {
  Props props;
  for (const Prop& prop : world.props) props.emplace_back(prop.x, prop.y, prop.kind, prop.active);
  return props;
}

TEST(ExpeditionWorld, AFloorOfWallsShowsOnlyItsTenDecorations) {
  Expedition walls(0);
  std::fill_n(walls.cells.begin(), kCellsPerFloor, Cell::Wall);
  using Tag = PropKind::Tag;
  const Props decorations = {
      {3, 0, Tag::StainedGlassWindow, true},  {9, 0, Tag::StainedGlassWindow, true},
      {15, 0, Tag::StainedGlassWindow, true}, {0, 3, Tag::OldBookshelves, true},
      {18, 3, Tag::CandleStand, true},        {0, 9, Tag::SealedSarcophagus, true},
      {18, 9, Tag::CandleStand, true},        {3, 12, Tag::FadedRoyalBanner, true},
      {9, 12, Tag::FadedRoyalBanner, true},   {15, 12, Tag::FadedRoyalBanner, true},
  };
  const World rendered = world(walls);
  EXPECT_EQ(std::tuple(rendered.width, rendered.height, rendered.tiles, props_of(rendered)),
            std::tuple(19, 13, std::vector<Tile>(kCellsPerFloor, Tile::CastleWall), decorations));
}

TEST(ExpeditionWorld, OpenCellsTakeTheGroundOfTheirZone) {
  Expedition open_floor(0);
  std::fill_n(open_floor.cells.begin(), kCellsPerFloor, Cell::Ground);
  const World rendered = world(open_floor);
  // Tile codes by column: rows 0-5 are marble, walnut, garden and crypt; rows 6-12 are
  // moss, crimson, crypt and garden.
  const std::string upper = "5555557777776666668";
  const std::string lower = "3333339999998888886";
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      EXPECT_EQ(static_cast<int>(rendered.tile(x, y)), (y < 6 ? upper : lower)[x] - '0')
          << x << "," << y;
    }
  }
  // Only the three ground decorations stand on an open floor.
  using Tag = PropKind::Tag;
  EXPECT_EQ(props_of(rendered), (Props{{16, 1, Tag::GlowingMushrooms, true},
                                       {1, 11, Tag::GlowingMushrooms, true},
                                       {4, 11, Tag::MoonFern, true}}));
}

TEST(ExpeditionWorld, EachFloorShowsItsOwnCrystalAndTheCellsAsProps) {
  Expedition expedition(0);
  const Crystal crystals[] = {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence,
                              Crystal::AmethystOfEchoes};
  for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
    expedition.floor = floor;
    const World rendered = world(expedition);
    auto crystal = std::ranges::find_if(
        rendered.props, [](const Prop& prop) { return prop.x == 7 && prop.y == 1; });
    ASSERT_NE(crystal, rendered.props.end()) << floor;
    EXPECT_EQ(crystal->kind, PropKind::of_crystal(crystals[floor]));
    EXPECT_EQ(rendered.tile(7, 1), Tile::WalnutFloor);
    EXPECT_EQ(rendered.tile(6, 3), Tile::CaveRock);
  }
  expedition.floor = 0;
  const World rendered = world(expedition);
  EXPECT_TRUE(std::ranges::is_sorted(rendered.props, {},
                                     [](const Prop& prop) { return std::pair(prop.y, prop.x); }));
  EXPECT_EQ(rendered.props.front().kind, PropKind(PropKind::Tag::StainedGlassWindow));
}

}  // namespace
}  // namespace burrowlight::expedition
