#include "render/camera.hpp"

#include <algorithm>
#include <array>

namespace burrowlight::render {
namespace {

constexpr std::array<std::int32_t, 4> kTileSizes{2, 4, 6, 8};

}  // namespace

std::int32_t tile_size(std::size_t zoom) {
  return kTileSizes[std::min(zoom, kTileSizes.size() - 1)];
}

ViewSize view_size(const Layout& layout, bool pixels, std::size_t zoom) {
  if (!pixels) return {layout.side_x / 2 - 2, layout.map_rows()};
  std::int32_t size = tile_size(zoom);
  std::int32_t width = layout.side_x - 5;
  std::int32_t height = 2 * layout.map_rows();
  return {(width + size - 1) / size, (height + size - 1) / size};
}

std::int32_t follow(std::int32_t camera, std::int32_t player, std::int32_t view,
                    std::int32_t world) {
  if (world - view <= 0) return (world - view) / 2;
  std::int32_t margin = std::max(view / 4, 1);
  if (player < camera + margin) camera = player - margin;
  if (player >= camera + view - margin) camera = player - view + margin + 1;
  return std::clamp(camera, 0, world - view);
}

void update_camera(View& view, const Scene& scene, ViewSize size) {
  if (view.recenter) {
    view.camera_x = scene.x - size.columns / 2;
    view.camera_y = scene.y - size.rows / 2;
    view.recenter = false;
  }
  view.camera_x = follow(view.camera_x, scene.x, size.columns, scene.world.width);
  view.camera_y = follow(view.camera_y, scene.y, size.rows, scene.world.height);
}

}  // namespace burrowlight::render
