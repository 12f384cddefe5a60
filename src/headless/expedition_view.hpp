#pragma once
// How a program sees an expedition run, shared by the headless replies and the
// in-process environments: the text map of the current floor, the notable cells, and
// which actions the rules would accept now.

#include <cstddef>
#include <span>

#include "core/expedition_run.hpp"

namespace burrowlight::headless {

// The visible glyph of a cell kind: # . r R C F < >.
char visible_glyph(Cell cell);

// Whether a cell kind in view is listed among the objects: veins, crystals, flasks,
// portals.
bool notable(Cell cell);

// The current floor row by row, cell y * 19 + x: "@" for the player, the visible glyph of
// a cell in view, the remembered glyph of a cell seen before ("#" for what blocks, "."
// for what is open: whether a crystal or flask is still there is known only in view),
// "?" for a cell never seen.
void write_map(const expedition::Run& run, std::span<char, kCellsPerFloor> map);

// Whether the rules would accept each of the eleven actions now, by code - 1; none once
// the run is sealed. The rules' own checks decide, so this never disagrees with them.
expedition::ActionSet legal_actions(const expedition::Run& run);

}  // namespace burrowlight::headless
