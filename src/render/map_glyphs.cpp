// The map drawn as coloured glyphs: each tile takes two cells, its glyph and a blank.

#include <cstddef>

#include "render/art.hpp"
#include "render/map_frame.hpp"
#include "render/prop_looks.hpp"

namespace burrowlight::render::map_drawing {
namespace {

char32_t tile_glyph(Tile tile, std::int32_t x, std::int32_t y) {
  switch (tile) {
    case Tile::Darkness:
    case Tile::CaveRock:
    case Tile::CastleWall:
      return U' ';
    case Tile::MossAndGrass:
      return art::tile_hash(x, y) % 3 == 0 ? U',' : U'·';
    case Tile::WornStonePath:
    case Tile::MarbleFloor:
    case Tile::GardenMosaic:
    case Tile::WalnutFloor:
    case Tile::CryptFlagstones:
    case Tile::CrimsonRunner:
      return U'·';
    case Tile::ReflectingPool:
      return U'~';
    case Tile::ClosedOakDoor:
      return U'+';
    case Tile::OpenOakDoor:
      return U'/';
  }
  return U' ';
}

void draw_glyph_tiles(Screen& screen, const MapFrame& frame) {
  for_each_shown_tile(frame, [&](const ShownTile& shown) {
    Rgb terrain = art::terrain(shown.tile, shown.x, shown.y, 3, 3, frame.view.clock);
    Rgb background = terrain.scale(0.65F);
    Rgb foreground = terrain.scale(1.7F);
    if (shown.in_view) {
      Rgb light = light_at(frame.lights, shown.x, shown.y);
      background = saturating_add(background.scale(0.78F), light);
      foreground = saturating_add(foreground.scale(0.78F), light);
    } else {
      background = remembered(background);
      foreground = remembered(foreground);
    }
    std::int32_t column = 2 + 2 * shown.c;
    std::int32_t row = 4 + shown.r;
    if (column < frame.right()) {
      screen.put(column, row, tile_glyph(shown.tile, shown.x, shown.y), foreground, background);
    }
    if (column + 1 < frame.right()) {
      screen.put(column + 1, row, U' ', foreground, background);
    }
  });
}

void draw_glyph_props(Screen& screen, const MapFrame& frame) {
  const View& view = frame.view;
  for (const Prop& prop : frame.scene.world.props) {
    if (!frame.visible(prop.x, prop.y) || taken_crystal(prop)) continue;
    if (prop.x < view.camera_x || prop.y < view.camera_y) continue;
    CellPosition cell = anchor(frame, prop.x, prop.y);
    if (cell.column >= frame.right() || cell.row >= frame.bottom()) continue;
    PropLook prop_look = look(prop.kind);
    screen.text(cell.column, cell.row, prop.active ? prop_look.glyph : prop_look.glyph_unlit,
                prop_look.colour);
  }
}

void draw_glyph_player(Screen& screen, const MapFrame& frame) {
  const Scene& scene = frame.scene;
  CellPosition cell = anchor(frame, scene.x, scene.y);
  if (scene.x < frame.view.camera_x || cell.row < 4 || cell.row >= frame.bottom() ||
      cell.column >= frame.right()) {
    return;
  }
  screen.text(cell.column, cell.row, "@", frame.player.colour);
}

}  // namespace

void draw_glyphs(Screen& screen, const MapFrame& frame) {
  draw_glyph_tiles(screen, frame);
  draw_glyph_props(screen, frame);
  draw_glyph_player(screen, frame);
}

}  // namespace burrowlight::render::map_drawing
