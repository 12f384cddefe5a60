#include "core/prototype_rooms.hpp"

#include <algorithm>

namespace burrowlight::rooms {

namespace {

// Cells of the box that fall outside the world are skipped, so a room may be
// placed against or across the edge of the map. Clamping the ranges first keeps a
// huge box from costing more than the world it is cut to.
void fill(World& world, Box box, Tile tile) {
  std::int32_t top = std::max(box.top, 0);
  std::int32_t bottom = std::min(box.bottom, world.height);
  std::int32_t left = std::max(box.left, 0);
  std::int32_t right = std::min(box.right, world.width);
  for (std::int32_t y = top; y < bottom; ++y) {
    for (std::int32_t x = left; x < right; ++x) world.set(x, y, tile);
  }
}

}  // namespace

void room(World& world, Box box, Tile floor) {
  fill(world, box, Tile::CastleWall);
  // Widened so that a box at the limits of the coordinate range cannot overflow.
  std::int64_t top = box.top, bottom = box.bottom, left = box.left, right = box.right;
  if (top + 1 < bottom - 1 && left + 1 < right - 1) {
    fill(world, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, floor);
  }
}

}  // namespace burrowlight::rooms
