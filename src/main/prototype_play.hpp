#pragma once
// The interactive prototype: Pip's handcrafted location, played full-screen with
// the keyboard. Nothing of it is saved.

#include "base/error.hpp"

namespace burrowlight::main {

// Runs until a quit key; success, or the input/output error that ended it. Standard
// input and output must be a terminal.
Result<void> play_prototype();

}  // namespace burrowlight::main
