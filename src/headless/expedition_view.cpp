#include "headless/expedition_view.hpp"

#include <algorithm>
#include <array>
#include <bit>

namespace burrowlight::headless {

namespace {

// A cell kind's glyph when it is remembered (index 0) and when it is in view (index 1).
struct CellLook {
  std::array<char, 2> glyphs;
  bool notable;
};

constexpr std::array<CellLook, 8> kCellLooks = {{
    {{'#', '#'}, false},  // Wall
    {{'.', '.'}, false},  // Ground
    {{'#', 'r'}, true},   // SoftVein
    {{'#', 'R'}, true},   // HardVein
    {{'.', 'C'}, true},   // Crystal
    {{'.', 'F'}, true},   // Flask
    {{'.', '<'}, true},   // UpPortal
    {{'.', '>'}, true},   // DownPortal
}};

const CellLook& look_of(Cell cell) { return kCellLooks[static_cast<std::size_t>(cell)]; }

}  // namespace

char visible_glyph(Cell cell) { return look_of(cell).glyphs[1]; }

bool notable(Cell cell) { return look_of(cell).notable; }

void write_map(const expedition::Run& run, std::span<char, kCellsPerFloor> map) {
  const Expedition& expedition = run.expedition();
  const auto cells = expedition.current_floor();
  const expedition::CellSet& explored = run.explored(expedition.floor);
  const expedition::CellSet& in_view = run.in_view();
  // The map is written after every step of an environment, so only the cells the player
  // knows are visited, once each: what is in view has been seen too.
  std::fill(map.begin(), map.end(), '?');
  for (std::size_t word = 0; word < expedition::CellSet::kWords; ++word) {
    const std::uint64_t seeing = in_view.word(word);
    for (std::uint64_t known = explored.word(word); known != 0; known &= known - 1) {
      const auto bit = static_cast<unsigned>(std::countr_zero(known));
      const std::size_t cell = 64 * word + bit;
      map[cell] = look_of(cells[cell]).glyphs[seeing >> bit & 1U];
    }
  }
  map[static_cast<std::size_t>(expedition.y * kFloorWidth + expedition.x)] = '@';
}

expedition::ActionSet legal_actions(const expedition::Run& run) {
  if (run.record().finished) return {};
  return run.expedition().legal_actions();
}

}  // namespace burrowlight::headless
