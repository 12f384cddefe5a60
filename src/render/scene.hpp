#pragma once
// What the renderer draws of a game, whichever game it is: each game makes one of these
// from its own state for every frame, and the frame's layout, the map, the camera and the
// lights read nothing else of it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/world.hpp"

namespace burrowlight::render {

struct Scene {
  // The grid the player stands on, with its props.
  World world;
  // One byte per cell of `world`: 1 while in view.
  std::vector<std::uint8_t> visible;
  // One byte per cell of `world`: 1 once the cell has ever been in view.
  std::vector<std::uint8_t> discovered;
  // The message log, oldest first; the field notes show its last two lines.
  std::vector<std::string> log;
  // The title of the map's frame.
  std::string_view place;
  // The player's cell.
  std::int32_t x;
  std::int32_t y;
  // A waystone in the world has woken: it burns gold.
  bool awakened;
};

}  // namespace burrowlight::render
