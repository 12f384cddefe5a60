#pragma once
// The headless prototype: a program plays the authored location through pipes, one
// command per line in and one JSON reply per line out.

#include "base/error.hpp"
#include "base/stream.hpp"

namespace burrowlight::app {

// Plays one prototype from a fresh start until "quit" or the end of the input.
Result<void> run_prototype(Input& in, Output& out);

}  // namespace burrowlight::app
