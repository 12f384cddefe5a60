// The field of view against a plain walk of every line, cell by cell, the way the rule
// reads: over random worlds, with the player anywhere in them, on their edges and outside.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "core/game.hpp"
#include "core/sight_lines.hpp"

namespace burrowlight {
namespace {

// Whether (x, y) is seen from (px, py): within the radius, and every cell the Bresenham
// walk passes between the two lets sight through.
bool seen_by_walking(const World& world, std::int64_t px, std::int64_t py, std::int64_t x,
                     std::int64_t y) {
  if ((x - px) * (x - px) + (y - py) * (y - py) > kSightRadius * kSightRadius) return false;
  const std::int64_t dx = std::abs(x - px);
  const std::int64_t dy = std::abs(y - py);
  const std::int64_t sx = x > px ? 1 : -1;
  const std::int64_t sy = y > py ? 1 : -1;
  std::int64_t err = dx - dy;
  std::int64_t cx = px;
  std::int64_t cy = py;
  while (cx != x || cy != y) {
    if (cx != px || cy != py) {
      if (cx < 0 || cx >= world.width || cy < 0 || cy >= world.height) return false;
      if (blocks_sight(world.tile(static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy))))
        return false;
    }
    const std::int64_t e2 = 2 * err;
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

TEST(Visibility, AgreesWithWalkingEveryLine) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> size(1, 50);
  std::uniform_int_distribution<int> tile(0, static_cast<int>(kTileCount) - 1);
  for (int world_number = 0; world_number < 60; ++world_number) {
    World world = World::filled(size(random), size(random), Tile::MossAndGrass);
    // Sparse walls in most worlds, dense in some, so that both long and short sight occur.
    std::bernoulli_distribution wall(world_number % 3 == 0 ? 0.5 : 0.15);
    for (Tile& cell : world.tiles) {
      if (wall(random)) cell = static_cast<Tile>(tile(random));
    }
    std::uniform_int_distribution<int> column(-20, world.width + 20);
    std::uniform_int_distribution<int> row(-20, world.height + 20);
    for (int place = 0; place < 12; ++place) {
      const std::int32_t px = column(random);
      const std::int32_t py = row(random);
      Game game = Game::from_world(world, px, py);
      for (std::int32_t y = 0; y < world.height; ++y) {
        for (std::int32_t x = 0; x < world.width; ++x) {
          const bool expected = (x == px && y == py) || seen_by_walking(world, px, py, x, y);
          ASSERT_EQ(game.visible[world.index(x, y)] == 1, expected)
              << "world " << world_number << ", player " << px << "," << py << ", cell " << x
              << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace burrowlight
