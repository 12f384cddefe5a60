#pragma once
// burrowlight-replay: a saved expedition watched in the terminal, or written out as the
// trajectory of headless observations it stands for, or as a terminal recording to share.
// The save is only read.

#include <string>
#include <vector>

namespace burrowlight::replay {

// The program after its start: reads the command line and the save, then plays or
// writes it; returns the exit status, having printed any failure on standard error.
// A save that cannot be replayed is reported before the terminal is touched.
int run(const std::vector<std::string>& arguments);

}  // namespace burrowlight::replay
