#include <array>

#include "core/game.hpp"

namespace burrowlight {

namespace {

enum class AreaId : std::uint8_t {
  SilverleafClearing,
  CandlelitSeam,
  GloamingThreshold,
  VelvetNave,
  HushedArchive,
  GardenersRest,
  MoonConservatory,
};

constexpr std::array<Area, 7> kAreas{{
    {"The Silverleaf Clearing",
     "Silver leaves keep their own moonlight. The cave waits beyond the moss."},
    {"The Candlelit Seam",
     "Between the roots: cut stone, a brass hinge, and the smell of candle wax."},
    {"The Gloaming Threshold",
     "The cave becomes a vestibule. Someone has polished the impossible marble."},
    {"The Velvet Nave", "Gold catches the candlelight. This hall is larger than the hill outside."},
    {"The Hushed Archive", "Velvet dust. Locked books. A blue note trembling between the shelves."},
    {"The Gardener's Rest", "Pale roots cradle the tombs. Something beautiful grew down here."},
    {"The Moon Conservatory", "Moonlight pools between roses. The garden has never seen the sky."},
}};

bool between(std::int32_t value, std::int32_t low, std::int32_t high) {
  return low <= value && value <= high;
}

// The rectangles overlap, so the order of the tests decides: the castle's middle
// column (the Conservatory above the Threshold above the Rest) is settled first.
AreaId area_id(std::int32_t x, std::int32_t y) {
  if (between(x, 34, 51)) {
    if (between(y, 2, 16)) return AreaId::MoonConservatory;
    if (x >= 36 && between(y, 31, 44)) return AreaId::GardenersRest;
    if (between(y, 17, 30)) return AreaId::GloamingThreshold;
    return AreaId::SilverleafClearing;
  }
  if (between(x, 54, 80) && between(y, 2, 11)) return AreaId::HushedArchive;
  if (between(x, 52, 84) && between(y, 12, 35)) return AreaId::VelvetNave;
  if (between(x, 26, 33)) return AreaId::CandlelitSeam;
  return AreaId::SilverleafClearing;
}

}  // namespace

const Area& starting_area() { return kAreas[static_cast<std::size_t>(AreaId::SilverleafClearing)]; }

const Area& area_at(std::int32_t x, std::int32_t y) {
  return kAreas[static_cast<std::size_t>(area_id(x, y))];
}

}  // namespace burrowlight
