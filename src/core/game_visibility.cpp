#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/game.hpp"
#include "base/panic.hpp"
#include "core/sight_lines.hpp"

namespace burrowlight {

namespace {

// How far a player may stand outside the world and still see into it.
constexpr std::int32_t kReach = kSightRadius;

// Which cells stop sight, the world surrounded by a border where everything does: a line
// that leaves the world sees nothing beyond it, and a step of a line costs one load. The
// border is as wide as the farthest cell a line of the player at (x, y) can pass.
class SightGrid {
 public:
  SightGrid(const World& world, std::int32_t player_x, std::int32_t player_y)
      : border_(kSightRadius + std::max({0, -player_x, player_x - (world.width - 1), -player_y,
                                         player_y - (world.height - 1)})),
        stride_(world.width + 2 * border_),
        blocking_(static_cast<std::size_t>(stride_) *
                      static_cast<std::size_t>(world.height + 2 * border_),
                  1) {
    std::array<std::uint8_t, kTileCount> opaque{};
    for (std::size_t code = 0; code < kTileCount; ++code) {
      opaque[code] = blocks_sight(static_cast<Tile>(code)) ? 1 : 0;
    }
    for (std::int32_t y = 0; y < world.height; ++y) {
      for (std::int32_t x = 0; x < world.width; ++x) {
        blocking_[at(x, y)] = opaque[static_cast<std::size_t>(world.tiles[world.index(x, y)])];
      }
    }
  }

  // Whether nothing on `line` stops the sight of the player at (x, y).
  bool clear(const sight::Line& line, std::int32_t x, std::int32_t y) const {
    const std::uint8_t* origin = blocking_.data() + at(x, y);
    return std::ranges::none_of(sight::passed_cells(line), [&](sight::Offset step) {
      return origin[step.dy * stride_ + step.dx] != 0;
    });
  }

 private:
  std::size_t at(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>((y + border_) * stride_ + x + border_);
  }

  std::int32_t border_;
  std::int32_t stride_;
  std::vector<std::uint8_t> blocking_;
};

}  // namespace

void Game::update_visibility() {
  std::fill(visible.begin(), visible.end(), std::uint8_t{0});
  // The grids may have been replaced by a caller, so their length is checked too.
  const std::size_t cells = static_cast<std::size_t>(std::max(world.width, 0)) *
                            static_cast<std::size_t>(std::max(world.height, 0));
  if (world.tiles.size() < cells || visible.size() < cells || discovered.size() < cells) {
    panic("visibility coordinates are in bounds");
  }
  // Farther outside, no cell of the world is within sight. Widened, so that a player
  // placed near the limits of the coordinate range cannot overflow the test.
  const bool near =
      std::int64_t{x} >= -kReach && std::int64_t{x} < std::int64_t{world.width} + kReach &&
      std::int64_t{y} >= -kReach && std::int64_t{y} < std::int64_t{world.height} + kReach;
  if (!near) return;
  const SightGrid grid(world, x, y);
  const auto see = [&](std::size_t cell) {
    visible[cell] = 1;
    discovered[cell] = 1;
  };
  // The player's own cell is always in view; every other cell of the disc is when no
  // cell its line passes on the way blocks sight. The target itself is seen whatever it
  // is, so a wall or a closed door is visible while the cells behind it are not.
  if (world.inside(x, y)) see(world.index(x, y));
  for (const sight::Line& line : sight::kLines.lines) {
    const std::int32_t tx = x + line.target.dx;
    const std::int32_t ty = y + line.target.dy;
    if (world.inside(tx, ty) && grid.clear(line, x, y)) see(world.index(tx, ty));
  }
}

}  // namespace burrowlight
