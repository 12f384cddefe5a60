#pragma once
// The map panel's contents: the camera that follows the player, the light sources
// of a frame, the world drawn as coloured glyphs or as scaled pixel art, and the
// ambient motes and floating texts on top.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/game.hpp"
#include "core/world.hpp"
#include "render/screen.hpp"
#include "render/view.hpp"

namespace burrowlight {

// One light source of the current frame.
struct Light {
  std::int32_t x;
  std::int32_t y;
  // In tiles.
  float radius;
  Rgb colour;
};

// How a prop is shown in GLYPHS mode; the colour is also its sprite's body colour.
struct PropLook {
  std::string_view glyph;
  // The glyph of an extinguished flame.
  std::string_view glyph_unlit;
  Rgb colour;
};

// The number of map tiles across and down the map area.
struct ViewSize {
  std::int32_t columns;
  std::int32_t rows;
};

// The edge of a pixel tile, 2 to 8 pixels, for a zoom index 0 to 3.
std::int32_t tile_size(std::size_t zoom);

ViewSize view_size(const Layout& layout, bool pixels, std::size_t zoom);

// One axis of the camera after the player at `player` moved: centres a world that
// fits in `view` tiles, otherwise scrolls only when the player comes within a
// quarter of the view of an edge, and never shows past the world's edges.
std::int32_t follow(std::int32_t camera, std::int32_t player, std::int32_t view,
                    std::int32_t world);

// Re-centres the camera when asked to, then lets it follow the player.
void update_camera(View& view, const Game& game, ViewSize size);

// The player's light first, then one per lit prop in list order, at clock `t`.
std::vector<Light> lights(const Game& game, float t);

// The sum of every light's contribution at tile (x, y).
Rgb light_at(std::span<const Light> lights, std::int32_t x, std::int32_t y);

Rgb saturating_add(Rgb left, Rgb right);

// The grey-blue of a remembered tile that is no longer in view.
Rgb remembered(Rgb colour);

PropLook look(PropKind kind);

// Fills the map panel of a full-size frame; moves the camera as it goes.
void draw_map(Screen& screen, View& view, const Game& game, Story story, const Layout& layout);

}  // namespace burrowlight
