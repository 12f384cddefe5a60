#include "render/map.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "base/panic.hpp"
#include "render/camera.hpp"
#include "render/lights.hpp"
#include "render/map_frame.hpp"

namespace burrowlight::render {
namespace {

using map_drawing::anchor;
using map_drawing::CellPosition;
using map_drawing::MapFrame;

constexpr std::int32_t kMoteCount = 25;
// The first motes are fireflies of the clearing, the rest dust of the castle.
constexpr std::int32_t kFireflyCount = 15;
constexpr Rgb kFireflyColour{211, 224, 153};
constexpr Rgb kDustColour{169, 161, 174};

// A float that is NaN or beyond the 32-bit range must not become undefined
// behaviour when it turns into a cell position.
std::int32_t saturating_int(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0F) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0F) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

bool hides_motes(Tile tile) {
  return tile == Tile::Darkness || tile == Tile::CaveRock || tile == Tile::CastleWall ||
         tile == Tile::ClosedOakDoor;
}

void draw_motes(Screen& screen, const MapFrame& frame) {
  const World& world = frame.scene.world;
  float t = frame.view.clock;
  for (std::int32_t n = 0; n < kMoteCount; ++n) {
    bool firefly = n < kFireflyCount;
    std::int32_t x = firefly ? 4 + (7 * n) % 25 : 36 + (11 * n) % 44;
    std::int32_t y = firefly ? 10 + (11 * n) % 26 : 4 + (7 * n) % 29;
    if (!frame.visible(x, y) || hides_motes(world.tile(x, y))) continue;
    float phase = static_cast<float>(n);
    CellPosition cell = anchor(frame, x, y);
    cell.column += saturating_int(std::round(std::sin(0.7F * t + 2.3F * phase)));
    cell.row += saturating_int(std::round(std::sin(0.5F * t + phase)));
    float blink = std::sin(1.6F * t + 1.7F * phase);
    if (!(blink > 0.25F)) continue;
    if (cell.column < 2 || cell.column >= frame.right() || cell.row < 4 ||
        cell.row >= frame.bottom()) {
      continue;
    }
    Rgb base = firefly ? kFireflyColour : kDustColour;
    screen.text(cell.column, cell.row, "·", base.scale(0.65F * blink));
  }
}

void draw_floats(Screen& screen, const MapFrame& frame) {
  std::int32_t side_x = frame.layout.side_x;
  for (const Float& rising : frame.view.floats) {
    CellPosition cell = anchor(frame, rising.x, rising.y);
    std::int32_t row = cell.row - saturating_int(std::floor(1.5F * rising.age)) - 1;
    std::int32_t length = static_cast<std::int32_t>(
        std::min(rising.text.size(), static_cast<std::size_t>(std::max(side_x - 7, 0))));
    std::int32_t column = std::clamp(cell.column - length / 2, 2, (side_x - 3) - length);
    if (row < 4 || row >= frame.bottom()) continue;
    float fade = std::min(1.0F, kFloatLifetime - rising.age);
    screen.clipped(column, row, length, rising.text, rising.colour.scale(fade));
  }
}

}  // namespace

void draw_map(Screen& screen, View& view, const Scene& scene, const Figure& player,
              const Layout& layout) {
  std::size_t cells = scene.world.tiles.size();
  bool consistent = cells == static_cast<std::size_t>(std::max(scene.world.width, 0)) *
                                 static_cast<std::size_t>(std::max(scene.world.height, 0));
  if (!consistent || scene.visible.size() != cells || scene.discovered.size() != cells) {
    panic("visibility grids cover the world");
  }
  ViewSize size = view_size(layout, view.pixels, view.zoom);
  update_camera(view, scene, size);
  MapFrame frame{
      scene, view, player, layout, size, tile_size(view.zoom), lights(scene, view.clock)};
  if (view.pixels) {
    map_drawing::draw_pixels(screen, frame);
  } else {
    map_drawing::draw_glyphs(screen, frame);
  }
  draw_motes(screen, frame);
  draw_floats(screen, frame);
}

}  // namespace burrowlight::render
