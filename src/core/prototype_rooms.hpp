#pragma once
// Drawing helpers for building handcrafted locations out of walled boxes.

#include <cstdint>

#include "core/world.hpp"

namespace burrowlight::rooms {

// A rectangle of cells; right and bottom are exclusive.
struct Box {
  std::int32_t left, top, right, bottom;
};

// Draws a box of castle wall with `floor` inside, keeping a one-cell wall on every
// side. Cells outside the world are skipped.
void room(World& world, Box box, Tile floor);

}  // namespace burrowlight::rooms
