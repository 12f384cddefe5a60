#pragma once
// The lines of sight of the field of view, worked out once at compile time. A line
// depends only on where its target lies relative to the player, so for each target offset
// within the sight radius the table holds the cells the Bresenham walk passes on the way
// (neither the player's cell nor the target), in walking order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace burrowlight {

// How far the player of either game sees, in cells.
inline constexpr std::int32_t kSightRadius = 15;

}  // namespace burrowlight

namespace burrowlight::sight {

struct Offset {
  std::int8_t dx;
  std::int8_t dy;
};

struct Line {
  Offset target;
  // The passed cells are path_cells[first, first + count).
  std::uint16_t first;
  std::uint16_t count;
};

constexpr bool within_radius(int dx, int dy) {
  return dx * dx + dy * dy <= kSightRadius * kSightRadius;
}

// Calls `visit(dx, dy)` for every cell the walk from (0, 0) to (tx, ty) passes: the
// walk's current cell before each step, but for the start.
template <class Visit>
constexpr void walk(int tx, int ty, Visit visit) {
  const int dx = tx < 0 ? -tx : tx;
  const int dy = ty < 0 ? -ty : ty;
  const int sx = tx > 0 ? 1 : -1;
  const int sy = ty > 0 ? 1 : -1;
  int err = dx - dy;
  int cx = 0;
  int cy = 0;
  while (cx != tx || cy != ty) {
    if (cx != 0 || cy != 0) visit(cx, cy);
    const int e2 = 2 * err;
    if (e2 >= -dy) {
      err -= dy;
      cx += sx;
    }
    if (e2 <= dx) {
      err += dx;
      cy += sy;
    }
  }
}

template <class Visit>
constexpr void for_each_target(Visit visit) {
  for (int dy = -kSightRadius; dy <= kSightRadius; ++dy) {
    for (int dx = -kSightRadius; dx <= kSightRadius; ++dx) {
      if ((dx != 0 || dy != 0) && within_radius(dx, dy)) visit(dx, dy);
    }
  }
}

constexpr std::size_t count_targets() {
  std::size_t targets = 0;
  for_each_target([&](int, int) { ++targets; });
  return targets;
}

constexpr std::size_t count_path_cells() {
  std::size_t cells = 0;
  for_each_target([&](int tx, int ty) { walk(tx, ty, [&](int, int) { ++cells; }); });
  return cells;
}

struct Table {
  std::array<Line, count_targets()> lines{};
  std::array<Offset, count_path_cells()> path_cells{};
};

constexpr Table make_table() {
  Table table;
  std::size_t line = 0;
  std::size_t cell = 0;
  for_each_target([&](int tx, int ty) {
    const std::size_t first = cell;
    walk(tx, ty, [&](int cx, int cy) {
      table.path_cells[cell++] = {static_cast<std::int8_t>(cx), static_cast<std::int8_t>(cy)};
    });
    table.lines[line++] = {{static_cast<std::int8_t>(tx), static_cast<std::int8_t>(ty)},
                           static_cast<std::uint16_t>(first),
                           static_cast<std::uint16_t>(cell - first)};
  });
  return table;
}

inline constexpr Table kLines = make_table();

// The cells `line` passes on the way to its target.
constexpr std::span<const Offset> passed_cells(const Line& line) {
  return {kLines.path_cells.data() + line.first, line.count};
}

}  // namespace burrowlight::sight
