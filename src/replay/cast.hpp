#pragma once
// A saved expedition as a terminal recording to share: the interactive replay stepped
// through from the first action to the end, written as an asciicast that the asciinema
// player plays in a terminal or a web page.

#include <string>

#include "base/error.hpp"
#include "base/stream.hpp"
#include "replay/recording.hpp"
#include "replay/timeline.hpp"

namespace burrowlight::replay {

// What the recording's title says of the run: its identity (the seed of a practice run),
// and where it ended: score, depth and whether it was sealed.
std::string run_title(const Timeline& timeline);

// Writes the header, then one output event for each frame of the recording.
Result<void> write_cast(const Timeline& timeline, const RecordingSettings& settings, Output& out);

}  // namespace burrowlight::replay
