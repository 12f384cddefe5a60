#include "render/art.hpp"

#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

namespace burrowlight::render::art {
namespace {

constexpr Rgb kUntouched{1, 2, 3};

TEST(Art, TileHashMixesBothCoordinatesWithWrapping) {
  EXPECT_EQ(tile_hash(0, 0), 0u);
  EXPECT_EQ(tile_hash(1, 0), 0x821471D6u);
  EXPECT_EQ(tile_hash(0, 1), 0xC4ADA425u);
  EXPECT_EQ(tile_hash(-1, -1), 0x0FE2E5A8u);
  EXPECT_EQ(tile_hash(123, -45), 0xA2CEB6D3u);
}

TEST(Art, TerrainColoursOfEveryTile) {
  struct Case {
    Tile tile;
    std::int32_t x, y, sx, sy;
    float t;
    Rgb expected;
  };
  const std::vector<Case> cases = {
      {Tile::Darkness, 9, 4, 3, 3, 2.0f, {5, 7, 13}},
      {Tile::CaveRock, 0, 0, 0, 0, 0.0f, {25, 25, 34}},
      {Tile::CaveRock, 0, 0, 1, 0, 0.0f, {48, 49, 65}},
      {Tile::CaveRock, 0, 0, 2, 0, 0.0f, {39, 39, 53}},
      {Tile::CastleWall, 3, 5, 2, 1, 0.0f, {77, 67, 86}},
      {Tile::CastleWall, 3, 5, 2, 4, 0.0f, {27, 23, 31}},
      {Tile::CastleWall, 0, 1, 4, 2, 0.0f, {27, 23, 31}},
      {Tile::CastleWall, 3, 5, 2, 2, 0.0f, {47, 41, 55}},
      {Tile::MossAndGrass, 4, 7, 3, 3, 0.0f, {13, 33, 31}},
      {Tile::MossAndGrass, 4, 7, 2, 3, 0.0f, {31, 59, 44}},
      {Tile::MossAndGrass, 4, 7, 5, 3, 0.0f, {29, 55, 41}},
      {Tile::WornStonePath, 2, 1, 3, 7, 0.0f, {24, 29, 34}},
      {Tile::WornStonePath, 2, 1, 3, 3, 0.0f, {47, 45, 46}},
      {Tile::MarbleFloor, 0, 0, 0, 0, 0.0f, {57, 58, 80}},
      {Tile::MarbleFloor, 0, 0, 1, 0, 0.0f, {44, 45, 62}},
      {Tile::MarbleFloor, 1, 0, 1, 0, 0.0f, {30, 33, 47}},
      {Tile::MarbleFloor, 0, 0, 7, 3, 0.0f, {27, 28, 39}},
      {Tile::GardenMosaic, 2, 1, 7, 3, 0.0f, {14, 34, 39}},
      {Tile::GardenMosaic, 2, 1, 1, 6, 0.0f, {101, 111, 91}},
      {Tile::GardenMosaic, 2, 1, 3, 3, 0.0f, {27, 58, 60}},
      {Tile::WalnutFloor, 2, 1, 0, 3, 0.0f, {26, 21, 29}},
      {Tile::WalnutFloor, 1, 1, 3, 5, 0.0f, {26, 21, 29}},
      {Tile::WalnutFloor, 2, 1, 3, 3, 0.0f, {62, 40, 39}},
      {Tile::CryptFlagstones, 2, 1, 3, 0, 0.0f, {19, 26, 39}},
      {Tile::CryptFlagstones, 2, 1, 3, 3, 0.0f, {42, 50, 63}},
      {Tile::CrimsonRunner, 5, 22, 3, 1, 0.0f, {150, 107, 68}},
      {Tile::CrimsonRunner, 5, 22, 3, 2, 0.0f, {77, 27, 51}},
      {Tile::CrimsonRunner, 5, 24, 3, 6, 0.0f, {150, 107, 68}},
      {Tile::CrimsonRunner, 5, 23, 3, 7, 0.0f, {77, 27, 51}},
      {Tile::CrimsonRunner, 4, 23, 0, 5, 0.0f, {119, 48, 70}},
      {Tile::ReflectingPool, 0, 0, 0, 0, 0.0f, {15, 40, 58}},
      {Tile::ReflectingPool, 0, 0, 0, 0, std::numbers::pi_v<float> / 3.0f, {35, 70, 90}},
      {Tile::ClosedOakDoor, 6, 2, 1, 2, 0.0f, {222, 186, 116}},
      {Tile::ClosedOakDoor, 6, 2, 1, 5, 0.0f, {222, 186, 116}},
      {Tile::ClosedOakDoor, 6, 2, 3, 0, 0.0f, {42, 27, 30}},
      {Tile::ClosedOakDoor, 6, 2, 2, 0, 0.0f, {100, 65, 46}},
      {Tile::OpenOakDoor, 6, 2, 0, 4, 0.0f, {106, 76, 50}},
      {Tile::OpenOakDoor, 6, 2, 3, 4, 0.0f, {42, 40, 51}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tile " << static_cast<int>(c.tile) << " at (" << c.x << ", "
                                    << c.y << ") pixel (" << c.sx << ", " << c.sy << ")");
    EXPECT_EQ(terrain(c.tile, c.x, c.y, c.sx, c.sy, c.t), c.expected);
  }
}

TEST(Art, CastleWallTopRowIsTheSameEverywhereAndAlways) {
  for (std::int32_t y = 0; y < 40; y += 3) {
    for (std::int32_t x = 0; x < 90; x += 7) {
      for (std::int32_t sx = 0; sx < 8; ++sx) {
        for (float t : {0.0f, 1.3f, 1000.5f}) {
          ASSERT_EQ(terrain(Tile::CastleWall, x, y, sx, 0, t), (Rgb{111, 94, 112}));
        }
      }
    }
  }
}

TEST(Art, OnlyThePoolChangesWithTheClock) {
  for (std::uint8_t code = 0; code < kTileCount; ++code) {
    const auto tile = static_cast<Tile>(code);
    if (tile == Tile::ReflectingPool) continue;
    for (std::int32_t sx = 0; sx < 8; ++sx) {
      for (std::int32_t sy = 0; sy < 8; ++sy) {
        ASSERT_EQ(terrain(tile, 17, 9, sx, sy, 0.0f), terrain(tile, 17, 9, sx, sy, 3.7f));
      }
    }
  }
}

TEST(Art, PaletteLetters) {
  const Rgb body{128, 181, 102};
  struct Case {
    char letter;
    std::optional<Rgb> expected;
  };
  const std::vector<Case> cases = {
      {'b', body},
      {'d', Rgb{70, 99, 56}},
      {'h', Rgb{180, 205, 147}},
      {'a', Rgb{232, 171, 82}},
      {'c', Rgb{103, 188, 205}},
      {'e', Rgb{255, 199, 88}},
      {'o', Rgb{10, 13, 23}},
      {'p', Rgb{176, 112, 184}},
      {'r', Rgb{169, 64, 83}},
      {'s', Rgb{216, 166, 127}},
      {'t', Rgb{90, 64, 52}},
      {'w', Rgb{238, 232, 205}},
      {' ', std::nullopt},
      {'.', std::nullopt},
      {'B', std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.letter);
    EXPECT_EQ(palette(c.letter, body), c.expected);
  }
  EXPECT_EQ(palette('h', Rgb{255, 255, 255}), (Rgb{250, 246, 232}));
}

TEST(Art, EverySpriteIsEightRowsOfEightPaletteLettersOrSpaces) {
  for (const Sprite* sprite :
       {&kGoblin, &kHumanDelver, &kStandingStone, &kSilverleafTree, &kCrystal, &kMoonFern,
        &kCandleStand, &kCarvedPillar, &kFadedRoyalBanner, &kVelvetRoses, &kGlowingMushrooms,
        &kSealedSarcophagus, &kStainedGlassWindow, &kOldBookshelves, &kBrazier, &kStoneBench,
        &kEmberFlask}) {
    for (std::string_view row : *sprite) {
      ASSERT_EQ(row.size(), 8u) << row;
      for (char letter : row) {
        EXPECT_TRUE(letter == ' ' || palette(letter, Rgb{1, 1, 1})) << row;
      }
    }
  }
}

TEST(Art, SpriteForEachKind) {
  using Tag = PropKind::Tag;
  struct Case {
    PropKind kind;
    const Sprite* expected;
  };
  const std::vector<Case> cases = {
      {Tag::SilverleafTree, &kSilverleafTree},
      {Tag::MoonFern, &kMoonFern},
      {Tag::VelvetRoses, &kVelvetRoses},
      {Tag::GlowingMushrooms, &kGlowingMushrooms},
      {Tag::CarvedPillar, &kCarvedPillar},
      {Tag::StainedGlassWindow, &kStainedGlassWindow},
      {Tag::OldBookshelves, &kOldBookshelves},
      {Tag::SealedSarcophagus, &kSealedSarcophagus},
      {Tag::StoneBench, &kStoneBench},
      {Tag::FadedRoyalBanner, &kFadedRoyalBanner},
      {Tag::Brazier, &kBrazier},
      {Tag::CandleStand, &kCandleStand},
      {PropKind::of_crystal(Crystal::AmethystOfEchoes), &kCrystal},
      {Tag::ForestWaystone, &kStandingStone},
      {Tag::Moss, &kGoblin},
      {Tag::EmberFlask, &kEmberFlask},
      {Tag::AscendingPortal, &kStandingStone},
      {Tag::DescendingPortal, &kStandingStone},
      {Tag::SoftVein, &kCrystal},
      {Tag::HardVein, &kCrystal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(display_name(c.kind));
    EXPECT_EQ(&sprite_for(c.kind), c.expected);
  }
}

// Row r of this sprite is all one fixed-colour letter, so a pixel's colour names
// the source row it came from; the columns sprite does the same across.
constexpr Sprite kRowCoded{"aaaaaaaa", "cccccccc", "eeeeeeee", "oooooooo",
                           "pppppppp", "rrrrrrrr", "ssssssss", "tttttttt"};
constexpr Sprite kColumnCoded{"aceoprst", "aceoprst", "aceoprst", "aceoprst",
                              "aceoprst", "aceoprst", "aceoprst", "aceoprst"};
constexpr std::string_view kCodes = "aceoprst";

std::vector<Rgb> blank_buffer(std::int32_t width, std::int32_t height) {
  return std::vector<Rgb>(static_cast<std::size_t>(width * height), kUntouched);
}

int source_index(Rgb colour) {
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (palette(kCodes[i], Rgb{}) == colour) return static_cast<int>(i);
  }
  return -1;
}

SpriteRequest exact(const Sprite& sprite, std::int32_t x, std::int32_t y, std::int32_t size) {
  return SpriteRequest{x, y, &sprite, size, Rgb{90, 90, 90}, Rgb{200, 200, 200}, true, true};
}

TEST(Blit, SamplesTheNearestSourcePixelAtEachDestinationCentre) {
  struct Case {
    std::int32_t size;
    std::vector<int> sources;
  };
  const std::vector<Case> cases = {
      {1, {4}},
      {2, {2, 6}},
      {3, {1, 4, 6}},
      {4, {1, 3, 5, 7}},
      {5, {0, 2, 4, 5, 7}},
      {6, {0, 2, 3, 4, 6, 7}},
      {7, {0, 1, 2, 4, 5, 6, 7}},
      {8, {0, 1, 2, 3, 4, 5, 6, 7}},
      {16, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    auto rows = blank_buffer(c.size, c.size);
    blit(rows, c.size, c.size, exact(kRowCoded, 0, 0, c.size));
    auto columns = blank_buffer(c.size, c.size);
    blit(columns, c.size, c.size, exact(kColumnCoded, 0, 0, c.size));
    std::vector<int> sampled_rows;
    std::vector<int> sampled_columns;
    for (std::int32_t i = 0; i < c.size; ++i) {
      sampled_rows.push_back(source_index(rows[static_cast<std::size_t>(i * c.size)]));
      sampled_columns.push_back(source_index(columns[static_cast<std::size_t>(i)]));
    }
    EXPECT_EQ(sampled_rows, c.sources);
    EXPECT_EQ(sampled_columns, c.sources);
  }
}

TEST(Blit, IsClippedNotShiftedAtNegativePositions) {
  auto buffer = blank_buffer(4, 4);
  blit(buffer, 4, 4, exact(kOldBookshelves, -3, -2, 8));
  for (std::int32_t row = 0; row < 4; ++row) {
    for (std::int32_t column = 0; column < 4; ++column) {
      EXPECT_EQ(buffer[static_cast<std::size_t>(row * 4 + column)],
                palette(kOldBookshelves[static_cast<std::size_t>(row + 2)]
                                       [static_cast<std::size_t>(column + 3)],
                        Rgb{90, 90, 90}));
    }
  }
}

TEST(Blit, DrawsNothingWhenEmptyOrOutside) {
  struct Case {
    std::int32_t x, y, size;
  };
  for (const Case& c : std::vector<Case>{{0, 0, 0},
                                         {0, 0, -3},
                                         {4, 0, 8},
                                         {0, 4, 8},
                                         {-8, 0, 8},
                                         {0, -8, 8},
                                         {-2000000000, 0, 2000000000}}) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " size " << c.size);
    auto buffer = blank_buffer(4, 4);
    blit(buffer, 4, 4, exact(kOldBookshelves, c.x, c.y, c.size));
    EXPECT_EQ(buffer, blank_buffer(4, 4));
  }
}

// Every pixel of the brazier: transparent ones leave the buffer alone.
TEST(Blit, ExtinguishedFlamesAreDulledAndTheBodyKeepsItsColour) {
  const Rgb body{168, 118, 58};
  for (bool active : {true, false}) {
    SCOPED_TRACE(active);
    auto buffer = blank_buffer(8, 8);
    blit(buffer, 8, 8, SpriteRequest{0, 0, &kBrazier, 8, body, Rgb{}, true, active});
    for (std::size_t row = 0; row < 8; ++row) {
      for (std::size_t column = 0; column < 8; ++column) {
        const char letter = kBrazier[row][column];
        std::optional<Rgb> expected = palette(letter, body);
        if (!active && (letter == 'a' || letter == 'h' || letter == 'r')) {
          expected = Rgb{63, 55, 57};
        }
        EXPECT_EQ(buffer[row * 8 + column], expected.value_or(kUntouched));
      }
    }
  }
}

TEST(Blit, LightingDimsThePixelAndAddsTheLightExceptForOutlines) {
  struct Case {
    const char* name;
    Rgb body;
    Rgb light;
    bool self_lit;
    bool active;
    Rgb body_pixel;
    Rgb outline_pixel;
  };
  const std::vector<Case> cases = {
      {"lit", {100, 100, 100}, {200, 40, 255}, false, true, {148, 92, 167}, {10, 13, 23}},
      {"saturates", {255, 255, 255}, {255, 255, 255}, false, true, {255, 255, 255}, {10, 13, 23}},
      {"self-lit", {100, 100, 100}, {200, 40, 255}, true, true, {100, 100, 100}, {10, 13, 23}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto buffer = blank_buffer(8, 8);
    blit(buffer, 8, 8, SpriteRequest{0, 0, &kGoblin, 8, c.body, c.light, c.self_lit, c.active});
    // Row 2 of the goblin is " obbbbo ".
    EXPECT_EQ(buffer[2 * 8 + 2], c.body_pixel);
    EXPECT_EQ(buffer[2 * 8 + 1], c.outline_pixel);
  }

  // A dulled flame is lit like any other pixel.
  auto buffer = blank_buffer(8, 8);
  blit(buffer, 8, 8, SpriteRequest{0, 0, &kBrazier, 8, Rgb{168, 118, 58}, Rgb{}, false, false});
  EXPECT_EQ(buffer[3], (Rgb{49, 42, 44}));
  EXPECT_EQ(buffer[4 * 8 + 1], (Rgb{131, 92, 45}));
}

TEST(Portrait, PaintsHalfBlocksFromPixelPairsOnThePanelBackground) {
  const Rgb body{128, 181, 102};
  const Rgb highlight{180, 205, 147};
  Screen screen(12, 10);
  draw_portrait(screen, 2, kGoblin, body);
  for (std::int32_t row = 5; row < 9; ++row) {
    EXPECT_EQ(screen.row_text(row), "  ▀▀▀▀▀▀▀▀  ");
  }
  EXPECT_EQ(screen.row_text(4), "            ");
  EXPECT_EQ(screen.row_text(9), "            ");
  // Rows 0 and 1 of the goblin: " b    b " over "bbbhhbbb".
  EXPECT_EQ(screen.at(2, 5), (ScreenCell{U'▀', kFrameBackground, body}));
  EXPECT_EQ(screen.at(3, 5), (ScreenCell{U'▀', body, body}));
  EXPECT_EQ(screen.at(5, 5), (ScreenCell{U'▀', kFrameBackground, highlight}));
  // Rows 6 and 7: " odbbdo " over "  o  o  ".
  EXPECT_EQ(screen.at(3, 8), (ScreenCell{U'▀', Rgb{10, 13, 23}, kFrameBackground}));
  EXPECT_EQ(screen.at(4, 8), (ScreenCell{U'▀', Rgb{70, 99, 56}, Rgb{10, 13, 23}}));
}

TEST(Portrait, IsClippedAtTheScreenEdges) {
  Screen screen(6, 7);
  draw_portrait(screen, -5, kHumanDelver, Rgb{200, 200, 200});
  draw_portrait(screen, 4, kHumanDelver, Rgb{200, 200, 200});
  EXPECT_EQ(screen.row_text(5), "▀▀▀ ▀▀");
  EXPECT_EQ(screen.row_text(6), "▀▀▀ ▀▀");
}

}  // namespace
}  // namespace burrowlight::render::art
