#pragma once
// The state of one expedition run: three stacked floors generated from a
// 64-bit seed, the player's place on them, the drill charge and the score.

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <type_traits>

#include "core/expedition_actions.hpp"

namespace burrowlight {

// The stored codes are fixed: a vein is exactly codes 2 and 3, and a vein's
// code is also what digging it costs.
enum class Cell : std::uint8_t {
  Wall = 0,
  Ground = 1,
  SoftVein = 2,
  HardVein = 3,
  Crystal = 4,
  Flask = 5,
  UpPortal = 6,
  DownPortal = 7,
};

inline constexpr std::size_t kFloorCount = 3;
inline constexpr std::int32_t kFloorWidth = 19;
inline constexpr std::int32_t kFloorHeight = 13;
inline constexpr std::size_t kCellsPerFloor = 247;
inline constexpr std::uint8_t kStartCharge = 8;

// Where a run starts on floor 0, and where every up portal stands.
inline constexpr std::int32_t kStartX = 2;
inline constexpr std::int32_t kStartY = 2;
// Where every down portal stands.
inline constexpr std::int32_t kDownPortalX = 2;
inline constexpr std::int32_t kDownPortalY = 10;

static_assert(kCellsPerFloor == static_cast<std::size_t>(kFloorWidth * kFloorHeight));

// True when (x, y) lies on a floor.
constexpr bool inside_floor(std::int32_t x, std::int32_t y) {
  return x >= 0 && x < kFloorWidth && y >= 0 && y < kFloorHeight;
}

struct Expedition {
  std::uint64_t seed;
  std::size_t floor;
  std::int32_t x;
  std::int32_t y;
  std::uint64_t turns;
  std::uint32_t score;
  // Floor-major, then row-major: cell (x, y) of floor f is f * 247 + y * 19 + x.
  std::array<Cell, kFloorCount * kCellsPerFloor> cells;
  std::uint8_t charge;

  // Generates the three floors of the seed and places the player at the start.
  explicit Expedition(std::uint64_t seed);

  // The cell at (x, y) of the current floor; Wall anywhere outside it.
  Cell cell(std::int32_t column, std::int32_t row) const { return floor_cell(floor, column, row); }
  // The cells of the current floor, row-major.
  std::span<const Cell, kCellsPerFloor> current_floor() const {
    return std::span<const Cell, kCellsPerFloor>(cells.data() + floor * kCellsPerFloor,
                                                 kCellsPerFloor);
  }
  // The cell at (x, y) of any floor; Wall outside the floor or past the last floor.
  Cell floor_cell(std::size_t floor_index, std::int32_t column, std::int32_t row) const {
    if (floor_index >= kFloorCount || !inside_floor(column, row)) return Cell::Wall;
    return cells[floor_index * kCellsPerFloor +
                 static_cast<std::size_t>(row * kFloorWidth + column)];
  }

  // Why the rules would refuse `action` now, or nothing when they would accept it.
  std::optional<expedition::Refusal> refusal(const expedition::Action& action) const;
  // Whether the rules would accept each of the eleven actions now, by code - 1: what
  // refusal() says of each, with one look at each neighbour and at the cell underfoot.
  expedition::ActionSet legal_actions() const;

  // Applies one action; on a refusal the expedition is left exactly as it was.
  std::expected<expedition::Event, expedition::Refusal> apply(const expedition::Action& action);

  bool operator==(const Expedition&) const = default;
};

static_assert(std::is_trivially_copyable_v<Expedition>);

}  // namespace burrowlight
