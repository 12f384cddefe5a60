#pragma once
// burrowlight-verify: checks saved expeditions the way the game checks a save when it
// opens one, without opening them for play, so that a save can be checked anywhere,
// even while a game holds it.

#include <span>
#include <string>
#include <vector>

#include "base/error.hpp"
#include "base/stream.hpp"

namespace burrowlight::verify {

// The exit status when some save is invalid; the others are those every program has.
inline constexpr int kSomeInvalid = 1;

// Writes one report line per save, in the order given, and flushes after each; true
// when every save is valid. A save that cannot be read is reported on its line like
// any invalid one; only output that cannot be written is an error.
Result<bool> check_saves(std::span<const std::string> paths, Output& out);

// The program after its start: reads the command line, checks the saves and returns
// the exit status, having printed any failure on standard error.
int run(const std::vector<std::string>& arguments);

}  // namespace burrowlight::verify
