#pragma once
// The current floor of an expedition as a grid world, so that one renderer and one field
// of view serve both games.

#include "core/expedition.hpp"
#include "core/world.hpp"

namespace burrowlight::expedition {

// The current floor as a 19 by 13 grid world: rock and wall tiles, a ground zone by
// position for open cells, and one prop for each vein, crystal, flask, portal and
// decoration, in row-major order.
World world(const Expedition& expedition);

}  // namespace burrowlight::expedition
