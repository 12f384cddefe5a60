#pragma once
// Fields of view remembered between the steps of a run, for a caller that steps runs many
// times over (an in-process environment). What is in view depends only on the player's
// place and on the floor's cells that stop sight, which change only on a dig or a portal,
// so a view worked out once serves every later visit of the same place until then. The
// cache lives beside a run rather than in it, so that a run stays a value that copies
// cheaply, and it keeps each floor's views with the blockers they were worked out for:
// they are right for whatever run asks, a restored one or another one altogether.

#include <array>
#include <optional>

#include "core/expedition.hpp"
#include "core/expedition_sight.hpp"

namespace burrowlight::expedition {

class ViewCache {
 public:
  // Exactly what cells_in_view(expedition, blockers) gives, worked out only for a place
  // and blockers this cache does not hold yet. `blockers` are those of the expedition's
  // current floor.
  const CellSet& cells_in_view(const Expedition& expedition, const SightBlockers& blockers);

 private:
  // One floor's views, all for the same blockers; a floor keeps its own so that a trip
  // through a portal and back finds them again.
  struct FloorViews {
    std::optional<SightBlockers> blockers;
    // The places whose view is held, cell y * 19 + x like the views themselves.
    CellSet known;
    std::array<CellSet, kCellsPerFloor> views;
  };

  std::array<FloorViews, kFloorCount> floors_{};
};

}  // namespace burrowlight::expedition
