#include <algorithm>
#include <cstdlib>

#include "core/game.hpp"
#include "core/panic.hpp"

namespace burrowlight {

namespace {

// Walks the Bresenham line from the player towards the target. Every cell passed on
// the way must let sight through; the target itself is seen whatever it is, so a
// wall or a closed door is visible while the cells behind it are not.
bool in_sight(const World& world, std::int64_t px, std::int64_t py, std::int64_t x,
              std::int64_t y) {
  std::int64_t dx = std::abs(x - px);
  std::int64_t dy = std::abs(y - py);
  std::int64_t sx = x > px ? 1 : -1;
  std::int64_t sy = y > py ? 1 : -1;
  std::int64_t err = dx - dy;
  std::int64_t cx = px;
  std::int64_t cy = py;
  while (cx != x || cy != y) {
    if (cx != px || cy != py) {
      // The walk stays between the player and a target inside the world, so the
      // narrowing is exact whenever the cell is inside.
      bool inside = cx >= 0 && cx < world.width && cy >= 0 && cy < world.height;
      if (!inside) return false;
      if (blocks_sight(world.tile(static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy)))) {
        return false;
      }
    }
    std::int64_t e2 = 2 * err;
    if (e2 >= -dy) {
      err -= dy;
      cx += sx;
    }
    if (e2 <= dx) {
      err += dx;
      cy += sy;
    }
  }
  return true;
}

}  // namespace

void Game::update_visibility() {
  std::fill(visible.begin(), visible.end(), std::uint8_t{0});
  // Widened so that a player placed near the limits of the coordinate range
  // cannot overflow the scan bounds.
  std::int64_t px = x;
  std::int64_t py = y;
  std::int64_t top = std::max<std::int64_t>(py - kSightRadius, 0);
  std::int64_t bottom = std::min<std::int64_t>(world.height - 1, py + kSightRadius);
  std::int64_t left = std::max<std::int64_t>(px - kSightRadius, 0);
  std::int64_t right = std::min<std::int64_t>(world.width - 1, px + kSightRadius);
  if (top > bottom || left > right) return;
  for (std::int64_t cy = top; cy <= bottom; ++cy) {
    for (std::int64_t cx = left; cx <= right; ++cx) {
      std::int64_t distance_squared = (cx - px) * (cx - px) + (cy - py) * (cy - py);
      if (distance_squared > kSightRadius * kSightRadius) continue;
      bool seen = (cx == px && cy == py) || in_sight(world, px, py, cx, cy);
      if (!seen) continue;
      auto column = static_cast<std::int32_t>(cx);
      auto row = static_cast<std::int32_t>(cy);
      // The grids may have been replaced by a caller, so their length is checked too.
      bool in_bounds = world.inside(column, row) && world.index(column, row) < visible.size() &&
                       world.index(column, row) < discovered.size();
      if (!in_bounds) panic("visibility coordinates are in bounds");
      std::size_t cell = world.index(column, row);
      visible[cell] = 1;
      discovered[cell] = 1;
    }
  }
}

}  // namespace burrowlight
