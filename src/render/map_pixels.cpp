// The map drawn as pixel art: terrain and sprites are painted into a pixel buffer,
// which then becomes half-block cells, two pixels to a cell.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/art.hpp"
#include "render/map_frame.hpp"
#include "render/palette.hpp"
#include "render/prop_looks.hpp"

namespace burrowlight::render::map_drawing {
namespace {

// A row-major grid of pixels, two of which stack into one screen cell.
struct PixelBuffer {
  std::vector<Rgb> pixels;
  std::int32_t width;
  std::int32_t height;

  Rgb& at(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

void paint_pixel_tiles(PixelBuffer& buffer, const MapFrame& frame) {
  const std::int32_t size = frame.tile;
  for_each_shown_tile(frame, [&](const ShownTile& shown) {
    Rgb light = shown.in_view ? light_at(frame.lights, shown.x, shown.y) : Rgb{0, 0, 0};
    for (std::int32_t j = 0; j < size; ++j) {
      std::int32_t pixel_y = shown.r * size + j;
      if (pixel_y >= buffer.height) break;
      for (std::int32_t i = 0; i < size; ++i) {
        std::int32_t pixel_x = shown.c * size + i;
        if (pixel_x >= buffer.width) break;
        Rgb terrain = art::terrain(shown.tile, shown.x, shown.y, 8 * i / size, 8 * j / size,
                                   frame.view.clock);
        buffer.at(pixel_x, pixel_y) =
            shown.in_view ? saturating_add(terrain.scale(0.78F), light) : remembered(terrain);
      }
    }
  });
}

// A bobbing sprite hovers one pixel up for part of every cycle, out of step with
// its neighbours in other columns.
std::int32_t bob(const Prop& prop, Motion motion, float t) {
  if (motion != Motion::Bobbing) return 0;
  return std::sin(static_cast<float>(prop.x) + 2.1F * t) > 0.4F ? -1 : 0;
}

void paint_pixel_props(PixelBuffer& buffer, const MapFrame& frame) {
  const Scene& scene = frame.scene;
  const View& view = frame.view;
  for (const Prop& prop : scene.world.props) {
    if (!frame.visible(prop.x, prop.y) || taken_crystal(prop)) continue;
    PropLook prop_look = look(prop.kind);
    Rgb body = prop_look.colour;
    // The awakened waystone turns gold, as its light does; its glyph keeps its colour.
    if (prop.kind.tag() == PropKind::Tag::ForestWaystone && scene.awakened) body = palette::gold;
    art::blit(
        buffer.pixels, buffer.width, buffer.height,
        art::SpriteRequest{
            .x = (prop.x - view.camera_x) * frame.tile,
            .y = (prop.y - view.camera_y) * frame.tile + bob(prop, prop_look.motion, view.clock),
            .sprite = prop_look.sprite,
            .size = frame.tile,
            .body = body,
            .light = light_at(frame.lights, prop.x, prop.y),
            .self_lit = prop_look.shading == Shading::SelfLit,
            .active = prop.active,
        });
  }
}

void paint_pixel_player(PixelBuffer& buffer, const MapFrame& frame) {
  const Scene& scene = frame.scene;
  art::blit(buffer.pixels, buffer.width, buffer.height,
            art::SpriteRequest{
                .x = (scene.x - frame.view.camera_x) * frame.tile,
                .y = (scene.y - frame.view.camera_y) * frame.tile,
                .sprite = &frame.player.sprite,
                .size = frame.tile,
                .body = frame.player.colour,
                .light = light_at(frame.lights, scene.x, scene.y),
                .self_lit = false,
                .active = true,
            });
}

}  // namespace

void draw_pixels(Screen& screen, const MapFrame& frame) {
  std::int32_t width = std::max(frame.layout.side_x - 5, 0);
  std::int32_t height = std::max(2 * frame.layout.map_rows(), 0);
  PixelBuffer buffer{
      std::vector<Rgb>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                       kDefaultBackground),
      width, height};
  paint_pixel_tiles(buffer, frame);
  paint_pixel_props(buffer, frame);
  paint_pixel_player(buffer, frame);
  for (std::int32_t j = 0; 2 * j + 1 < height; ++j) {
    for (std::int32_t i = 0; i < width; ++i) {
      screen.put(2 + i, 4 + j, U'▀', buffer.at(i, 2 * j), buffer.at(i, 2 * j + 1));
    }
  }
}

}  // namespace burrowlight::render::map_drawing
