// What a run sees is the field of view of the floor's grid world: over random floors,
// dug and undug, with the player on every open cell.

#include "core/expedition_sight.hpp"

#include <gtest/gtest.h>

#include <random>

#include "core/expedition_world.hpp"
#include "core/game.hpp"

namespace burrowlight::expedition {
namespace {

TEST(ExpeditionSight, SeesWhatTheGridWorldSees) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<int> kind(0, 7);
  for (int floor_number = 0; floor_number < 40; ++floor_number) {
    Expedition expedition(random());
    expedition.floor = static_cast<std::size_t>(floor_number % 3);
    // Half the floors keep their rooms; the others get cells of any kind anywhere.
    if (floor_number % 2 == 1) {
      for (std::size_t cell = 0; cell < kCellsPerFloor; ++cell) {
        expedition.cells[expedition.floor * kCellsPerFloor + cell] = static_cast<Cell>(kind(random));
      }
    }
    for (std::int32_t y = 0; y < kFloorHeight; ++y) {
      for (std::int32_t x = 0; x < kFloorWidth; ++x) {
        expedition.x = x;
        expedition.y = y;
        const Game game = Game::from_world(world(expedition), x, y);
        const CellSet in_view = cells_in_view(expedition, SightBlockers(expedition));
        for (std::size_t cell = 0; cell < kCellsPerFloor; ++cell) {
          ASSERT_EQ(in_view.contains(cell), game.visible[cell] == 1)
              << "floor " << floor_number << ", player " << x << "," << y << ", cell " << cell;
        }
      }
    }
  }
}

}  // namespace
}  // namespace burrowlight::expedition
