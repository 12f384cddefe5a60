#include "core/world.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "core/game.hpp"
#include "core/prototype_rooms.hpp"

namespace burrowlight {
namespace {

// The authored location, one row per line, one tile code per cell (A = 10, B = 11).
constexpr std::array<std::string_view, 46> kAuthoredMap{
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000",  // 0
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000",  // 1
    "00000000000000000000000000000000002222222222222222200022222222222222222222222222200000",  // 2
    "00000000000000000000000000000000002666666666666666200027777777777777777777777777200000",  // 3
    "00000000000000000000000000000000002666666666666666200027777777777777777777777777200000",  // 4
    "00000000000000000000000000000000002666666666666666200027777777777777777777777777200000",  // 5
    "00000000000000000000000000000000002666666666666666200027777777777777777777777777200000",  // 6
    "00000000000000000000000000000000002666666666666666200027777777777777777777777777200000",  // 7
    "0033333333333333333333333333333000266666AAAAAA6666200027777777777777777777777777200000",  // 8
    "0033333333333333333333333333333000266666AAAAAA6666200027777777777777777777777777200000",  // 9
    "0033333333333333333333333333333000266666AAAAAA66662000222222222222B2222222222222200000",  // 10
    "0033333333333333333333333333333000266666AAAAAA6666200000000000000555000000000000000000",  // 11
    "00333333333333333333333333333330002666666666666666202222222222222555222222222222222000",  // 12
    "00333333333333333333333333333330002666666666666666202555555555555555555555555555552000",  // 13
    "00333333333333333333333333333330002666666666666666202555555555555555555555555555552000",  // 14
    "00333333333333333333333333333330002666666666666666202555555555555555555555555555552000",  // 15
    "0033333333333333333333333333333000222222222B222222202555555555555555555555555555552000",  // 16
    "00333333333333333333333333111111111100000055500000002555555555555555555555555555552000",  // 17
    "00333333333333333333333333111111111100000055500000002555555555555555555555555555552000",  // 18
    "00333333333333333333333333111111112222222255522222222555555555555555555555555555552000",  // 19
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 20
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 21
    "00333333334444444444444444444444442444444444444444442449999999999999999999999999952000",  // 22
    "0033333333444444444444444444444444B44444444444444444B449999999999999999999999999952000",  // 23
    "00333333334444444444444444444444442444444444444444442449999999999999999999999999952000",  // 24
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 25
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 26
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 27
    "00333333333333333333333333111111112555555555555555522555555555555555555555555555552000",  // 28
    "00333333333333333333333333333330002222222288822222222555555555555555555555555555552000",  // 29
    "0033333333333AAAAAAAA33333333330000000000088800000002555555555555555555555555555552000",  // 30
    "0033333333333AAAAAAAA33333333330000000000088800000002555555555555555555555555555552000",  // 31
    "0033333333333AAAAAAAA33333333330000000000088800000002555555555555555555555555555552000",  // 32
    "0033333333333AAAAAAAA3333333333000002222222B222222222555555555555555555555555555552000",  // 33
    "0033333333333AAAAAAAA33333333330000028888888888888882222222222222222222222222222222000",  // 34
    "00333333333333333333333333333330000028888888888888882000000000000000000000000000000000",  // 35
    "00333333333333333333333333333330000028888888888888882000000000000000000000000000000000",  // 36
    "00333333333333333333333333333330000028888888888888882000000000000000000000000000000000",  // 37
    "00000000000000000000000000000000000028888888888888882000000000000000000000000000000000",  // 38
    "00000000000000000000000000000000000028888888888888882000000000000000000000000000000000",  // 39
    "00000000000000000000000000000000000028888888888888882000000000000000000000000000000000",  // 40
    "00000000000000000000000000000000000028888888888888882000000000000000000000000000000000",  // 41
    "00000000000000000000000000000000000028888888888888882000000000000000000000000000000000",  // 42
    "00000000000000000000000000000000000022222222222222222000000000000000000000000000000000",  // 43
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000",  // 44
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000",  // 45
};

char code_digit(Tile tile) { return "0123456789ABC"[static_cast<int>(tile)]; }

std::vector<std::string> code_rows(const World& world) {
  std::vector<std::string> rows;
  for (std::int32_t y = 0; y < world.height; ++y) {
    std::string row;
    for (std::int32_t x = 0; x < world.width; ++x) row += code_digit(world.tile(x, y));
    rows.push_back(row);
  }
  return rows;
}

TEST(AuthoredWorld, MatchesTheMapCellForCell) {
  Game game = Game::authored();
  ASSERT_EQ(game.world.width, 86);
  ASSERT_EQ(game.world.height, 46);
  ASSERT_EQ(game.world.tiles.size(), 3956u);
  std::vector<std::string> rows = code_rows(game.world);
  for (std::size_t y = 0; y < kAuthoredMap.size(); ++y) {
    EXPECT_EQ(rows[y], kAuthoredMap[y]) << "row " << y;
  }
}

TEST(AuthoredWorld, HasTheTileCountsOfEveryCode) {
  constexpr std::array<std::size_t, kTileCount> kCounts{1434, 76,  319, 722, 129, 636, 171,
                                                        175,  147, 78,  64,  5,   0};
  std::array<std::size_t, kTileCount> counts{};
  for (Tile tile : Game::authored().world.tiles) ++counts[static_cast<std::size_t>(tile)];
  EXPECT_EQ(counts, kCounts);
}

TEST(AuthoredWorld, PlacesTheHundredAndFourPropsInListOrder) {
  const std::vector<Prop>& props = Game::authored().world.props;
  ASSERT_EQ(props.size(), 104u);
  struct Expected {
    std::size_t position;
    std::int32_t x;
    std::int32_t y;
    std::string_view name;
  };
  constexpr std::array<Expected, 14> kSamples{{
      {0, 3, 9, "silverleaf tree"},
      {22, 29, 36, "silverleaf tree"},
      {23, 6, 12, "moon fern"},
      {31, 11, 18, "velvet roses"},
      {44, 50, 41, "glowing mushrooms"},
      {51, 57, 12, "stained-glass window"},
      {70, 78, 5, "old bookshelves"},
      {85, 29, 21, "brazier"},
      {98, 44, 35, "candle stand"},
      {99, 44, 5, "Emerald of Thorns"},
      {100, 74, 5, "Sapphire of Silence"},
      {101, 45, 40, "Amethyst of Echoes"},
      {102, 8, 23, "forest waystone"},
      {103, 14, 25, "Moss, your fellow goblin"},
  }};
  for (const Expected& expected : kSamples) {
    const Prop& prop = props[expected.position];
    EXPECT_EQ(prop.x, expected.x) << expected.position;
    EXPECT_EQ(prop.y, expected.y) << expected.position;
    EXPECT_EQ(display_name(prop.kind), expected.name) << expected.position;
  }
  for (const Prop& prop : props) EXPECT_TRUE(prop.active);
}

TEST(PropKind, CarriesItsCrystalInOneByte) {
  PropKind sapphire = PropKind::of_crystal(Crystal::SapphireOfSilence);
  EXPECT_EQ(sapphire.tag(), PropKind::Tag::Crystal);
  EXPECT_EQ(sapphire.crystal(), Crystal::SapphireOfSilence);
  EXPECT_NE(sapphire, PropKind::of_crystal(Crystal::AmethystOfEchoes));
  EXPECT_EQ(PropKind(PropKind::Tag::HardVein).crystal(), std::nullopt);
  EXPECT_EQ(display_name(PropKind::Tag::SoftVein), "soft vein: 2 charge");
  EXPECT_TRUE(interactable(sapphire));
  EXPECT_FALSE(blocks_movement(sapphire));
}

TEST(Tile, RulesFollowTheTerrain) {
  struct Row {
    Tile tile;
    std::string_view name;
    char glyph;
    bool walkable;
    bool blocks_sight;
  };
  constexpr std::array<Row, kTileCount> kRows{{
      {Tile::Darkness, "darkness", ' ', false, true},
      {Tile::CaveRock, "cave rock", '#', false, true},
      {Tile::CastleWall, "castle wall", '#', false, true},
      {Tile::MossAndGrass, "moss and grass", ',', true, false},
      {Tile::WornStonePath, "worn stone path", '.', true, false},
      {Tile::MarbleFloor, "marble floor", '.', true, false},
      {Tile::GardenMosaic, "garden mosaic", '.', true, false},
      {Tile::WalnutFloor, "walnut floor", '.', true, false},
      {Tile::CryptFlagstones, "crypt flagstones", '.', true, false},
      {Tile::CrimsonRunner, "crimson runner", '=', true, false},
      {Tile::ReflectingPool, "reflecting pool", '~', false, false},
      {Tile::ClosedOakDoor, "closed oak door", '+', false, true},
      {Tile::OpenOakDoor, "open oak door", '/', true, false},
  }};
  for (const Row& row : kRows) {
    EXPECT_EQ(display_name(row.tile), row.name);
    EXPECT_EQ(glyph(row.tile), row.glyph) << row.name;
    EXPECT_EQ(walkable(row.tile), row.walkable) << row.name;
    EXPECT_EQ(blocks_sight(row.tile), row.blocks_sight) << row.name;
  }
}

TEST(SceneRoom, DrawsOnlyTheInsideOfABoxThatSticksOut) {
  World world = World::filled(6, 4, Tile::Darkness);
  rooms::room(world, {3, -2, 9, 3}, Tile::WalnutFloor);
  EXPECT_EQ(code_rows(world), (std::vector<std::string>{"000277", "000277", "000222", "000000"}));
}

TEST(SceneRoom, ABoxTwoCellsWideIsAllWall) {
  World world = World::filled(4, 5, Tile::MossAndGrass);
  rooms::room(world, {1, 0, 3, 5}, Tile::MarbleFloor);
  EXPECT_EQ(code_rows(world), (std::vector<std::string>{"3223", "3223", "3223", "3223", "3223"}));
}

TEST(SceneRoom, AHugeBoxCostsNoMoreThanTheWorld) {
  World world = World::filled(3, 3, Tile::Darkness);
  rooms::room(world, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, Tile::MarbleFloor);
  EXPECT_EQ(code_rows(world), (std::vector<std::string>{"555", "555", "555"}));
}

}  // namespace
}  // namespace burrowlight
