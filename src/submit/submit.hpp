#pragma once
// burrowlight-submit: hands a finished save in to a board and prints the board's answer
// (the run's rank on each board it joined, and its page). The save is read, never
// written; an unfinished or invalid save is refused before anything is sent.

#include <string>
#include <vector>

namespace burrowlight::submit {

// The program after its start; returns the exit status.
int run(const std::vector<std::string>& arguments);

}  // namespace burrowlight::submit
