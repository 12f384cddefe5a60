#include "headless/expedition_view.hpp"

#include <algorithm>
#include <bit>

namespace burrowlight::headless {

namespace {

struct CellLook {
  char visible;
  char remembered;
  bool notable;
};

constexpr std::array<CellLook, 8> kCellLooks = {{
    {'#', '#', false},  // Wall
    {'.', '.', false},  // Ground
    {'r', '#', true},   // SoftVein
    {'R', '#', true},   // HardVein
    {'C', '.', true},   // Crystal
    {'F', '.', true},   // Flask
    {'<', '.', true},   // UpPortal
    {'>', '.', true},   // DownPortal
}};

const CellLook& look_of(Cell cell) { return kCellLooks[static_cast<std::size_t>(cell)]; }

// Calls `write(cell)` for every cell of `cells`, in order.
template <class Write>
void for_each_cell(const expedition::CellSet& cells, Write write) {
  for (std::size_t word = 0; word < expedition::CellSet::kWords; ++word) {
    for (std::uint64_t bits = cells.word(word); bits != 0; bits &= bits - 1) {
      write(64 * word + static_cast<std::size_t>(std::countr_zero(bits)));
    }
  }
}

}  // namespace

char visible_glyph(Cell cell) { return look_of(cell).visible; }

bool notable(Cell cell) { return look_of(cell).notable; }

void write_map(const expedition::Run& run, std::span<char, kCellsPerFloor> map) {
  const Expedition& expedition = run.expedition();
  const Cell* cells = expedition.cells.data() + expedition.floor * kCellsPerFloor;
  // The map is written after every step of an environment, so only the cells the player
  // knows are visited: first what was seen, then over it what is in view.
  std::fill(map.begin(), map.end(), '?');
  for_each_cell(run.explored(expedition.floor),
                [&](std::size_t cell) { map[cell] = look_of(cells[cell]).remembered; });
  for_each_cell(run.in_view(), [&](std::size_t cell) { map[cell] = look_of(cells[cell]).visible; });
  map[static_cast<std::size_t>(expedition.y * kFloorWidth + expedition.x)] = '@';
}

std::array<bool, expedition::kActionWords.size()> legal_actions(const expedition::Run& run) {
  if (run.record().finished) return {};
  return run.expedition().legal_actions();
}

}  // namespace burrowlight::headless
