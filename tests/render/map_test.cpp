// The map panel's drawing: the glyph and pixel drawings of tiles, props and the
// player, and the motes and floating texts on top.

#include "render/map.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game.hpp"
#include "marble_floor.hpp"
#include "render/art.hpp"
#include "render/lights.hpp"
#include "render/palette.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"
#include "render/view_frames.hpp"

namespace burrowlight::render {
namespace {

// Characters outside ASCII show as "?".
std::string cells_text(const Screen& screen, std::int32_t x, std::int32_t y, std::int32_t count) {
  std::string narrow;
  for (std::int32_t i = 0; i < count; ++i) {
    char32_t ch = screen.at(x + i, y).ch;
    narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
  }
  return narrow;
}

// PIXELS mode at the largest zoom.
View pixel_view() {
  View view;
  view.pixels = true;
  view.zoom = 3;
  return view;
}

std::size_t index_of(const Game& game, std::int32_t x, std::int32_t y) {
  return game.world.index(x, y);
}

// ---------------------------------------------------------------------------
// GLYPHS mode. At 90 x 30 the view is 30 x 17 tiles, so a 19 x 13 floor is drawn
// with the camera at (-5, -2): tile (x, y) lands on column 12 + 2x, row 6 + y. The
// delver's pale "@" is pinned by the golden frame of the expedition.

constexpr std::int32_t column_of(std::int32_t x) { return 12 + 2 * x; }
constexpr std::int32_t row_of(std::int32_t y) { return 6 + y; }

TEST(Glyphs, TilesPropsAndThePlayer) {
  Game game = marble_floor({{3, 4, PropKind::Tag::MoonFern, true},
                            {5, 4, PropKind::Tag::Brazier, false},
                            {7, 4, PropKind::of_crystal(Crystal::AmethystOfEchoes), true},
                            {8, 4, PropKind::of_crystal(Crystal::SapphireOfSilence), false},
                            {10, 4, PropKind::Tag::CandleStand, false}});
  View view;
  Screen screen = view_frames::compose(view, game, 90, 30);
  EXPECT_EQ(view.camera_x, -5);
  EXPECT_EQ(view.camera_y, -2);
  EXPECT_EQ(screen.at(column_of(9), row_of(6)).ch, U'@');
  EXPECT_EQ(screen.at(column_of(9), row_of(6)).fg, palette::green);
  EXPECT_EQ(screen.at(column_of(3), row_of(4)).ch, U'♣');
  EXPECT_EQ(screen.at(column_of(3), row_of(4)).fg, (Rgb{79, 143, 112}));
  EXPECT_EQ(screen.at(column_of(5), row_of(4)).ch, U'v') << "an extinguished brazier";
  EXPECT_EQ(screen.at(column_of(7), row_of(4)).ch, U'♦');
  EXPECT_EQ(screen.at(column_of(7), row_of(4)).fg, palette::amethyst_of_echoes);
  EXPECT_EQ(screen.at(column_of(8), row_of(4)).ch, U'·') << "a taken crystal is gone";
  EXPECT_EQ(screen.at(column_of(10), row_of(4)).ch, U'·') << "an extinguished candle";
  EXPECT_EQ(screen.at(column_of(10), row_of(4)).fg, (Rgb{168, 118, 58}));

  // A prop keeps the tile's background; the tile's second cell is blank.
  Rgb terrain = art::terrain(Tile::MarbleFloor, 3, 4, 3, 3, 0.0F);
  Rgb light = light_at(lights(prototype_scene(game), 0.0F), 3, 4);
  EXPECT_EQ(screen.at(column_of(3), row_of(4)).bg,
            saturating_add(terrain.scale(0.65F).scale(0.78F), light));
  EXPECT_EQ(screen.at(column_of(3) + 1, row_of(4)).ch, U' ');
  EXPECT_EQ(screen.at(column_of(3) + 1, row_of(4)).fg,
            saturating_add(terrain.scale(1.7F).scale(0.78F), light));

  // Outside the world the panel stays empty.
  EXPECT_EQ(screen.at(column_of(-1), row_of(4)).ch, U' ');
  EXPECT_EQ(screen.at(column_of(-1), row_of(4)).bg, kFrameBackground);
}

TEST(Glyphs, EveryKindTakesTheFirstCellOfItsTileOnly) {
  // A glyph of two scalars would spill over the tile's blank second cell, and an
  // empty one would leave the floor showing.
  using Tag = PropKind::Tag;
  for (auto code = std::uint8_t{0}; code <= static_cast<std::uint8_t>(Tag::HardVein); ++code) {
    auto tag = static_cast<Tag>(code);
    PropKind kind = tag == Tag::Crystal ? PropKind::of_crystal(Crystal::SapphireOfSilence) : tag;
    SCOPED_TRACE(std::string(display_name(kind)));
    // A taken crystal is not shown at all.
    for (bool active : {true, false}) {
      if (tag == Tag::Crystal && !active) continue;
      Game game = marble_floor({{3, 4, kind, active}});
      View view;
      Screen screen = view_frames::compose(view, game, 90, 30);
      if (active) {
        EXPECT_NE(screen.at(column_of(3), row_of(4)).ch, U'·');
        EXPECT_NE(screen.at(column_of(3), row_of(4)).ch, U' ');
      }
      EXPECT_EQ(screen.at(column_of(3) + 1, row_of(4)).ch, U' ') << "active " << active;
    }
  }
}

TEST(Glyphs, RememberedTilesAreGreyBlueWithoutProps) {
  Game game = marble_floor({{3, 4, PropKind::Tag::MoonFern, true}});
  game.visible[index_of(game, 3, 4)] = 0;
  game.discovered[index_of(game, 4, 4)] = 0;
  View view;
  Screen screen = view_frames::compose(view, game, 90, 30);
  Rgb terrain = art::terrain(Tile::MarbleFloor, 3, 4, 3, 3, 0.0F);
  const ScreenCell& cell = screen.at(column_of(3), row_of(4));
  EXPECT_EQ(cell.ch, U'·');
  EXPECT_EQ(cell.bg, remembered(terrain.scale(0.65F)));
  EXPECT_EQ(cell.fg, remembered(terrain.scale(1.7F)));
  EXPECT_EQ(screen.at(column_of(4), row_of(4)).bg, kFrameBackground) << "never seen";
}

TEST(Glyphs, TileGlyphsByKind) {
  struct Case {
    Tile tile;
    char32_t glyph;
  };
  for (const Case& c : {Case{Tile::CastleWall, U' '}, Case{Tile::WornStonePath, U'·'},
                        Case{Tile::CrimsonRunner, U'·'}, Case{Tile::ReflectingPool, U'~'},
                        Case{Tile::ClosedOakDoor, U'+'}, Case{Tile::OpenOakDoor, U'/'}}) {
    SCOPED_TRACE(std::string(display_name(c.tile)));
    Game game = marble_floor();
    game.world.set(9, 5, c.tile);
    View view;
    Screen screen = view_frames::compose(view, game, 90, 30);
    EXPECT_EQ(screen.at(column_of(9), row_of(5)).ch, c.glyph);
  }
  // Grass shows a comma where the tile hash is a multiple of 3.
  Game grass = Game::from_world(World::filled(19, 13, Tile::MossAndGrass), 9, 6);
  View view;
  Screen screen = view_frames::compose(view, grass, 90, 30);
  for (std::int32_t x = 0; x < 19; ++x) {
    EXPECT_EQ(screen.at(column_of(x), row_of(2)).ch, art::tile_hash(x, 2) % 3 == 0 ? U',' : U'·');
  }
}

// ---------------------------------------------------------------------------
// PIXELS mode. At 90 x 30 and zoom 3 the view is 8 x 5 tiles of 8 x 8 pixels; the
// camera settles at (5, 4), so the player's tile (9, 6) starts at pixel (32, 16),
// which is cell column 34, row 12.

TEST(Pixels, SpritesAreLitAndDrawnWithHalfBlocks) {
  Game game = marble_floor();
  View view = pixel_view();
  Screen screen = view_frames::compose(view, game, 90, 30);
  EXPECT_EQ(view.camera_x, 5);
  EXPECT_EQ(view.camera_y, 4);
  for (std::int32_t row = 4; row <= 20; ++row) {
    for (std::int32_t column = 2; column <= 60; ++column) {
      ASSERT_EQ(screen.at(column, row).ch, U'▀') << column << "," << row;
    }
  }
  // The goblin's body pixels (1, 0) and (1, 1): green × 0.78 plus 0.35 of the light
  // at the tile, which is the player's own light (126, 110, 73) × 0.42.
  const ScreenCell& body = screen.at(34 + 1, 12);
  EXPECT_EQ(body.fg, (Rgb{119, 182, 124}));
  EXPECT_EQ(body.bg, (Rgb{119, 182, 124}));
  // Pixel (0, 0) of the goblin is transparent: the marble shows through.
  Rgb marble = art::terrain(Tile::MarbleFloor, 9, 6, 0, 0, 0.0F);
  EXPECT_EQ(screen.at(34, 12).fg, saturating_add(marble.scale(0.78F), Rgb{52, 46, 30}));
}

TEST(Pixels, UnseenTilesStayDarkAndRememberedTilesGreyBlue) {
  Game game = marble_floor();
  game.discovered[index_of(game, 10, 6)] = 0;
  game.visible[index_of(game, 10, 6)] = 0;
  game.visible[index_of(game, 11, 6)] = 0;
  View view = pixel_view();
  Screen screen = view_frames::compose(view, game, 90, 30);
  // Tile (10, 6) starts at pixel (40, 16): cell column 42, row 12.
  EXPECT_EQ(screen.at(42, 12).fg, kDefaultBackground);
  EXPECT_EQ(screen.at(42, 12).bg, kDefaultBackground);
  Rgb marble = art::terrain(Tile::MarbleFloor, 11, 6, 0, 0, 0.0F);
  EXPECT_EQ(screen.at(50, 12).fg, remembered(marble));
}

TEST(Pixels, CrystalsAreSelfLitAndBob) {
  // At t = 0 a crystal in column 1 bobs (sin 1 > 0.4) and one in column 3 does not.
  Game game = Game::from_world(World::filled(8, 4, Tile::MarbleFloor), 0, 3);
  game.world.props = {{1, 1, PropKind::of_crystal(Crystal::EmeraldOfThorns), true},
                      {3, 1, PropKind::of_crystal(Crystal::EmeraldOfThorns), true}};
  View view = pixel_view();
  Screen screen = view_frames::compose(view, game, 90, 30);
  // The world is smaller than the view, so it is centred: camera (-(8 - 8) / 2, (4 - 5) / 2).
  ASSERT_EQ(view.camera_x, 0);
  ASSERT_EQ(view.camera_y, 0);
  // Crystal pixel (3, 0) is 'h': the emerald blended toward cream, unlit.
  Rgb highlight = *art::palette('h', palette::emerald_of_thorns);
  // Steady crystal at pixel (24, 8): cell column 2 + 24 + 3, row 4 + 4, upper half.
  EXPECT_EQ(screen.at(2 + 24 + 3, 8).fg, highlight);
  // Bobbing crystal at pixel (8, 7): its top pixel is the lower half of row 4 + 3.
  EXPECT_EQ(screen.at(2 + 8 + 3, 7).bg, highlight);
}

// ---------------------------------------------------------------------------
// Motes and floating texts.

TEST(Motes, AFireflyDriftsAndBlinks) {
  // Firefly 1 lives on tile (11, 21). At t = 0 it drifts one column right and one
  // row down and shines at 0.65 × sin 1.7 of its base colour.
  Game game = Game::from_world(World::filled(40, 30, Tile::MossAndGrass), 11, 21);
  View view;
  Screen screen = view_frames::compose(view, game, 90, 30);
  ASSERT_EQ(view.camera_x, 0);
  ASSERT_EQ(view.camera_y, 13);
  const ScreenCell& mote = screen.at(2 + 2 * 11 + 1, 4 + 8 + 1);
  EXPECT_EQ(mote.ch, U'·');
  EXPECT_EQ(mote.fg, (Rgb{136, 144, 98}));

  // Firefly 0 (tile (4, 10)) is dark at t = 0: sin 0 is not above 0.25.
  game.x = 4;
  game.y = 10;
  game.update_visibility();
  View other;
  Screen quiet = view_frames::compose(other, game, 90, 30);
  ASSERT_EQ(other.camera_y, 2);
  EXPECT_EQ(quiet.at(2 + 2 * 4, 4 + 8).ch, U'@');
}

TEST(Motes, NoneOverWallsOrUnseenTiles) {
  Game game = Game::from_world(World::filled(40, 30, Tile::CastleWall), 11, 21);
  View view;
  Screen screen = view_frames::compose(view, game, 90, 30);
  EXPECT_EQ(screen.at(2 + 2 * 11 + 1, 4 + 8 + 1).ch, U' ');
}

TEST(Floats, RiseFromTheirTileAndFade) {
  struct Case {
    float age;
    std::int32_t row;
    Rgb colour;
  };
  // The player's tile (9, 6) is at column 30, row 12; "+4 CHARGE" is 9 bytes wide.
  for (const Case& c :
       {Case{0.0F, 11, palette::green}, Case{0.7F, 10, palette::green},
        Case{1.0F, 10, palette::green}, Case{1.5F, 9, palette::green.scale(0.5F)}}) {
    SCOPED_TRACE(c.age);
    Game game = marble_floor();
    View view;
    view.floats.push_back({"+4 CHARGE", 9, 6, c.age, palette::green});
    Screen screen = view_frames::compose(view, game, 90, 30);
    EXPECT_EQ(cells_text(screen, 26, c.row, 9), "+4 CHARGE");
    EXPECT_EQ(screen.at(26, c.row).fg, c.colour);
  }
}

TEST(Floats, StayInsideTheMapPanel) {
  Game game = marble_floor();
  View view;
  view.floats.push_back({"a very long floating text that will be cut", -5, 6, 0.0F, palette::ink});
  view.floats.push_back({"+1 CRYSTAL", 9, -2, 0.0F, palette::gold});  // Above the panel.
  Screen screen = view_frames::compose(view, game, 90, 30);
  // Clamped to the left edge of the map area.
  EXPECT_EQ(cells_text(screen, 2, 11, 14), "a very long fl");
  for (std::int32_t row = 0; row < 30; ++row) {
    EXPECT_EQ(screen.row_text(row).find("+1 CRYSTAL"), std::string::npos) << row;
  }
}

}  // namespace
}  // namespace burrowlight::render
