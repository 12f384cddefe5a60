#pragma once
// A saved expedition as the headless expedition would have told it: a trajectory of
// JSON observations for offline learning, or for comparing two runs with ordinary tools.

#include "base/error.hpp"
#include "base/stream.hpp"
#include "replay/timeline.hpp"

namespace burrowlight::replay {

// Writes exactly the lines the headless expedition writes when the save's action words
// are typed into a fresh session of the same record: the first observation, the reply
// to each action, and for a sealed save the reply to "finish".
Result<void> write_trajectory(const Timeline& timeline, Output& out);

}  // namespace burrowlight::replay
