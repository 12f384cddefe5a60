#pragma once
// The interactive replay: a saved expedition watched full-screen, step by step, drawn by
// the game's own renderer as the game drew each state.

#include "base/error.hpp"
#include "replay/timeline.hpp"

namespace burrowlight::replay {

// Runs until a quit key, paused at step 0 to begin with; success, or the terminal error
// that ended it. Standard input and output must be a terminal.
Result<void> watch(const Timeline& timeline);

}  // namespace burrowlight::replay
