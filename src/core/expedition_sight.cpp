#include "core/expedition_sight.hpp"

#include <algorithm>
#include <bit>

#include "core/sight_lines.hpp"

namespace burrowlight::expedition {

namespace {

// How far a cell of the floor can lie from a player on it, across and down.
constexpr int kMaxDx = kFloorWidth - 1;
constexpr int kMaxDy = kFloorHeight - 1;
constexpr int kOffsetColumns = 2 * kMaxDx + 1;
constexpr int kOffsetRows = 2 * kMaxDy + 1;
constexpr std::uint32_t kFloorColumns = (std::uint32_t{1} << kFloorWidth) - 1;

// Rows of target offsets, as a shadow or the reach of sight holds them: offset dx at bit
// dx + radius, since no target in sight lies farther across than the radius.
using OffsetRow = std::uint32_t;
static_assert(2 * kSightRadius + 1 <= 32);

// The columns of the floor that a row of offsets stands for, for the player in column x;
// offsets left of the floor fall off.
std::uint64_t on_floor(OffsetRow row, std::int32_t x) {
  return std::uint64_t{row} << x >> kSightRadius;
}

constexpr std::size_t offset_index(int dx, int dy) {
  return static_cast<std::size_t>((dy + kMaxDy) * kOffsetColumns + dx + kMaxDx);
}

constexpr bool between_zero_and(int value, int end) {
  return end < 0 ? value >= end && value <= 0 : value >= 0 && value <= end;
}

// What lets only the cells of the floor cast shadows.
constexpr bool lines_stay_between_their_ends() {
  for (const sight::Line& line : sight::kLines.lines) {
    for (const sight::Offset step : sight::passed_cells(line)) {
      if (!between_zero_and(step.dx, line.target.dx) ||
          !between_zero_and(step.dy, line.target.dy)) {
        return false;
      }
    }
  }
  return true;
}
static_assert(lines_stay_between_their_ends());

// Whether a target offset can hold a cell of the floor for a player on it.
constexpr bool on_some_floor(const sight::Offset& target) {
  return target.dx >= -kMaxDx && target.dx <= kMaxDx && target.dy >= -kMaxDy && target.dy <= kMaxDy;
}

// For each offset from the player, every row of the targets whose line passes it.
using DenseShadows = std::array<std::array<OffsetRow, kOffsetRows>, kOffsetColumns * kOffsetRows>;

constexpr DenseShadows make_dense_shadows() {
  DenseShadows shadows{};
  for (const sight::Line& line : sight::kLines.lines) {
    if (!on_some_floor(line.target)) continue;
    for (const sight::Offset step : sight::passed_cells(line)) {
      shadows[offset_index(step.dx, step.dy)][static_cast<std::size_t>(line.target.dy + kMaxDy)] |=
          OffsetRow{1} << (line.target.dx + kSightRadius);
    }
  }
  return shadows;
}

// A shadow's rows from its first one that holds a target to its last one.
struct RowSpan {
  std::size_t first;
  std::size_t count;
};

constexpr RowSpan occupied_rows(const std::array<OffsetRow, kOffsetRows>& rows) {
  std::size_t first = 0;
  while (first < rows.size() && rows[first] == 0) ++first;
  if (first == rows.size()) return {0, 0};
  std::size_t end = rows.size();
  while (end > first && rows[end - 1] == 0) --end;
  return {first, end - first};
}

constexpr std::size_t count_shadow_rows() {
  const DenseShadows dense = make_dense_shadows();
  std::size_t rows = 0;
  for (const auto& shadow : dense) rows += occupied_rows(shadow).count;
  return rows;
}

// Where the rows of the shadow of one offset are: rows[first, first + count), the first of
// them at target row offset `first_dy`.
struct Shadow {
  std::uint16_t first;
  std::int8_t first_dy;
  std::uint8_t count;
};

struct ShadowTable {
  std::array<Shadow, kOffsetColumns * kOffsetRows> shadows{};
  std::array<OffsetRow, count_shadow_rows()> rows{};
  // By row offset dy + kMaxDy, the targets within the sight radius, the player's own
  // cell among them.
  std::array<OffsetRow, kOffsetRows> reach{};
};

constexpr ShadowTable make_shadow_table() {
  const DenseShadows dense = make_dense_shadows();
  ShadowTable table;
  std::size_t row = 0;
  for (std::size_t offset = 0; offset < dense.size(); ++offset) {
    const RowSpan span = occupied_rows(dense[offset]);
    table.shadows[offset] = {static_cast<std::uint16_t>(row),
                             static_cast<std::int8_t>(static_cast<int>(span.first) - kMaxDy),
                             static_cast<std::uint8_t>(span.count)};
    for (std::size_t index = 0; index < span.count; ++index) {
      table.rows[row++] = dense[offset][span.first + index];
    }
  }
  for (int dy = -kMaxDy; dy <= kMaxDy; ++dy) {
    for (int dx = -kSightRadius; dx <= kSightRadius; ++dx) {
      if (sight::within_radius(dx, dy)) {
        table.reach[static_cast<std::size_t>(dy + kMaxDy)] |= OffsetRow{1} << (dx + kSightRadius);
      }
    }
  }
  return table;
}

constexpr ShadowTable kShadows = make_shadow_table();

bool stops_sight(Cell cell) {
  return cell == Cell::Wall || cell == Cell::SoftVein || cell == Cell::HardVein;
}

}  // namespace

SightBlockers::SightBlockers(const Expedition& expedition) {
  const auto cells = expedition.current_floor();
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    std::uint32_t row = 0;
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      if (stops_sight(cells[static_cast<std::size_t>(y * kFloorWidth + x)])) {
        row |= std::uint32_t{1} << x;
      }
    }
    rows_[static_cast<std::size_t>(y)] = row;
  }
}

CellSet cells_in_view(const Expedition& expedition, const SightBlockers& blockers) {
  const std::int32_t x = expedition.x;
  const std::int32_t y = expedition.y;
  // The targets in some shadow, by floor row; a shadow's rows beyond the floor are left out.
  std::array<std::uint64_t, kFloorHeight> shadowed{};
  for (std::int32_t row = 0; row < kFloorHeight; ++row) {
    for (std::uint32_t stopping = blockers.row(row); stopping != 0; stopping &= stopping - 1) {
      const int column = std::countr_zero(stopping);
      const Shadow& shadow = kShadows.shadows[offset_index(column - x, row - y)];
      const OffsetRow* rows = kShadows.rows.data() + shadow.first;
      const std::int32_t first_row = y + shadow.first_dy;
      const std::int32_t end = std::min(first_row + shadow.count, kFloorHeight);
      for (std::int32_t target_row = std::max(first_row, 0); target_row < end; ++target_row) {
        shadowed[static_cast<std::size_t>(target_row)] |= on_floor(rows[target_row - first_row], x);
      }
    }
  }
  CellSet in_view;
  for (std::int32_t row = 0; row < kFloorHeight; ++row) {
    const std::uint64_t reach =
        on_floor(kShadows.reach[static_cast<std::size_t>(row - y + kMaxDy)], x);
    const std::uint64_t seen = reach & ~shadowed[static_cast<std::size_t>(row)];
    in_view.insert_row(row, static_cast<std::uint32_t>(seen) & kFloorColumns);
  }
  return in_view;
}

}  // namespace burrowlight::expedition
