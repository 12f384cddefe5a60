#pragma once
// What the map panel's drawing files share, and only they: the frame being drawn,
// where a tile lands on the screen, and the two ways of drawing the world.

#include <cstdint>
#include <vector>

#include "core/world.hpp"
#include "render/camera.hpp"
#include "render/lights.hpp"
#include "render/scene.hpp"
#include "render/screen.hpp"
#include "render/view.hpp"

namespace burrowlight::render::map_drawing {

// Everything a map layer needs to place a tile on the screen.
struct MapFrame {
  const Scene& scene;
  const View& view;
  const Figure& player;
  Layout layout;
  ViewSize size;
  std::int32_t tile;
  std::vector<Light> lights;

  // Columns from here on belong to the map frame's right border and beyond.
  std::int32_t right() const { return layout.side_x - 3; }
  // Rows from here on belong to the map frame's bottom border and beyond.
  std::int32_t bottom() const { return layout.notes_top() - 1; }

  bool visible(std::int32_t x, std::int32_t y) const {
    return scene.world.inside(x, y) && scene.visible[scene.world.index(x, y)] != 0;
  }
};

struct CellPosition {
  std::int32_t column;
  std::int32_t row;
};

// The cell that props, motes and floating texts of tile (x, y) start from: the
// glyph's cell, or roughly the middle of the pixel tile.
inline CellPosition anchor(const MapFrame& frame, std::int32_t x, std::int32_t y) {
  std::int32_t across = x - frame.view.camera_x;
  std::int32_t down = y - frame.view.camera_y;
  if (!frame.view.pixels) return {2 + 2 * across, 4 + down};
  std::int32_t size = frame.tile;
  return {2 + across * size + size / 2, 4 + (down * size) / 2 + size / 4};
}

// A taken crystal stays in the prop list, inactive, but is no longer shown.
inline bool taken_crystal(const Prop& prop) {
  return prop.kind.tag() == PropKind::Tag::Crystal && !prop.active;
}

// A discovered tile of the map area: where it sits in the view (column c, row r of tiles),
// where it is in the world, and whether it is in view now.
struct ShownTile {
  std::int32_t c;
  std::int32_t r;
  std::int32_t x;
  std::int32_t y;
  Tile tile;
  bool in_view;
};

// Calls `draw(ShownTile)` for every discovered tile of the map area, row by row.
template <class Draw>
void for_each_shown_tile(const MapFrame& frame, Draw draw) {
  const Scene& scene = frame.scene;
  const World& world = scene.world;
  for (std::int32_t r = 0; r < frame.size.rows; ++r) {
    for (std::int32_t c = 0; c < frame.size.columns; ++c) {
      const std::int32_t x = frame.view.camera_x + c;
      const std::int32_t y = frame.view.camera_y + r;
      if (!world.inside(x, y)) continue;
      const std::size_t index = world.index(x, y);
      if (scene.discovered[index] == 0) continue;
      draw(ShownTile{c, r, x, y, world.tiles[index], scene.visible[index] != 0});
    }
  }
}

// Tiles, props and the player as coloured glyphs, two cells to a tile.
void draw_glyphs(Screen& screen, const MapFrame& frame);

// Tiles, props and the player as scaled pixel art, two pixels to a cell.
void draw_pixels(Screen& screen, const MapFrame& frame);

}  // namespace burrowlight::render::map_drawing
