#pragma once
// The map panel's camera: how many tiles the map area shows in each mode and zoom,
// and which tile sits at its top-left corner as the player walks.

#include <cstddef>
#include <cstdint>

#include "render/scene.hpp"
#include "render/view.hpp"

namespace burrowlight::render {

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
void update_camera(View& view, const Scene& scene, ViewSize size);

}  // namespace burrowlight::render
