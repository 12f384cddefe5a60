#include "core/expedition_view_cache.hpp"

namespace burrowlight::expedition {

const CellSet& ViewCache::cells_in_view(const Expedition& expedition,
                                        const SightBlockers& blockers) {
  FloorViews& floor = floors_[expedition.floor];
  if (floor.blockers != blockers) {
    floor.blockers = blockers;
    floor.known = {};
  }
  const auto place = static_cast<std::size_t>(expedition.y * kFloorWidth + expedition.x);
  if (!floor.known.contains(place)) {
    floor.views[place] = expedition::cells_in_view(expedition, blockers);
    floor.known.insert(place);
  }
  return floor.views[place];
}

}  // namespace burrowlight::expedition
