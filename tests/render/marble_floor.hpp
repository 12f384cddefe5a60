#pragma once
// The small world the map's tests draw on.

#include <utility>
#include <vector>

#include "core/game.hpp"

namespace burrowlight::render {

// A 19 x 13 floor of marble, the size of an expedition floor, with the player in the
// middle and every cell in view.
inline Game marble_floor(std::vector<Prop> props = {}) {
  World world = World::filled(19, 13, Tile::MarbleFloor);
  world.props = std::move(props);
  return Game::from_world(std::move(world), 9, 6);
}

}  // namespace burrowlight::render
