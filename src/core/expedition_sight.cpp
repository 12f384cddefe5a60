#include "core/expedition_sight.hpp"

#include <algorithm>

#include "core/sight_lines.hpp"

namespace burrowlight::expedition {

namespace {

// The cells a line of sight passes, grouped by row: for row `dy` below the player, the
// bits of the passed columns, column dx at bit dx + radius. Shifted by the player's column
// and laid on the blockers' row, a word tells at once whether any cell of that row stops
// the line.
struct PassedRow {
  std::int8_t dy;
  std::uint64_t columns;
};

constexpr std::size_t count_passed_rows() {
  std::size_t rows = 0;
  for (const sight::Line& line : sight::kLines.lines) {
    int previous = -2 * kSightRadius;
    for (const sight::Offset step : sight::passed_cells(line)) {
      // A walk never returns to a row it left, so its rows come in runs.
      if (step.dy != previous) ++rows;
      previous = step.dy;
    }
  }
  return rows;
}

// Where the passed rows of the line to one target offset are; `in_sight` is false for the
// player's own cell and beyond the radius.
struct LineRows {
  std::uint16_t first;
  std::uint8_t count;
  bool in_sight;
};

constexpr int kSpan = 2 * kSightRadius + 1;

struct PassedRowTable {
  std::array<PassedRow, count_passed_rows()> rows{};
  // Indexed by target offset: (dy + radius) * span + dx + radius.
  std::array<LineRows, kSpan * kSpan> lines{};
};

constexpr PassedRowTable make_passed_rows() {
  PassedRowTable table;
  std::size_t row = 0;
  for (const sight::Line& line : sight::kLines.lines) {
    const std::size_t first = row;
    int previous = -2 * kSightRadius;
    for (const sight::Offset step : sight::passed_cells(line)) {
      if (step.dy != previous) table.rows[row++] = {step.dy, 0};
      table.rows[row - 1].columns |= std::uint64_t{1} << (step.dx + kSightRadius);
      previous = step.dy;
    }
    table.lines[static_cast<std::size_t>((line.target.dy + kSightRadius) * kSpan + line.target.dx +
                                         kSightRadius)] = {
        static_cast<std::uint16_t>(first), static_cast<std::uint8_t>(row - first), true};
  }
  return table;
}

constexpr PassedRowTable kPassedRows = make_passed_rows();

constexpr bool between_zero_and(int value, int end) {
  return end < 0 ? value >= end && value <= 0 : value >= 0 && value <= end;
}

// What lets the blockers hold the floor's rows only.
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

}  // namespace

SightBlockers::SightBlockers(const Expedition& expedition) {
  const Cell* cells = expedition.cells.data() + expedition.floor * kCellsPerFloor;
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    std::uint64_t row = ~std::uint64_t{0};
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const Cell cell = cells[static_cast<std::size_t>(y * kFloorWidth + x)];
      if (cell != Cell::Wall && cell != Cell::SoftVein && cell != Cell::HardVein) {
        row &= ~(std::uint64_t{1} << (x + kFirstColumnBit));
      }
    }
    rows_[static_cast<std::size_t>(y)] = row;
  }
}

CellSet cells_in_view(const Expedition& expedition, const SightBlockers& blockers) {
  constexpr int kRadius = kSightRadius;
  const std::int32_t x = expedition.x;
  const std::int32_t y = expedition.y;
  CellSet in_view;
  in_view.insert(static_cast<std::size_t>(y * kFloorWidth + x));
  // Column dx of a line lands on bit x + dx + kFirstColumnBit of the blockers' rows.
  const int shift = x + SightBlockers::kFirstColumnBit - kRadius;
  const std::int32_t left = std::max(0, x - kRadius);
  const std::int32_t right = std::min(kFloorWidth - 1, x + kRadius);
  const std::uint64_t* rows = blockers.rows_around(y);
  for (std::int32_t ty = std::max(0, y - kRadius); ty <= std::min(kFloorHeight - 1, y + kRadius);
       ++ty) {
    // The lines to this row of targets, by target column.
    const LineRows* lines = kPassedRows.lines.data() + (ty - y + kRadius) * kSpan + kRadius - x;
    for (std::int32_t tx = left; tx <= right; ++tx) {
      const LineRows& line = lines[tx];
      if (!line.in_sight) continue;
      const PassedRow* passed = kPassedRows.rows.data() + line.first;
      const PassedRow* const last = passed + line.count;
      while (passed != last && (rows[passed->dy] & (passed->columns << shift)) == 0) ++passed;
      if (passed == last) in_view.insert(static_cast<std::size_t>(ty * kFloorWidth + tx));
    }
  }
  return in_view;
}

}  // namespace burrowlight::expedition
