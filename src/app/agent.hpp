#pragma once
// The headless prototype: a program plays the authored location through pipes, one
// command per line in and one JSON reply per line out. `respond` is the single
// writer of every headless reply, so the expedition protocol uses it too.

#include <nlohmann/json.hpp>

#include "core/game.hpp"
#include "core/stream.hpp"

namespace burrowlight::agent {

// Everything a program needs to choose its next command: the text map, what is in
// view, the legal commands, the log and the objective. Reads the game only.
nlohmann::json observation(const Game& game);

// Writes `value` as compact JSON with its keys in byte order, then a line feed,
// then flushes, so that the driving program can read the reply before it sends the
// next line. A value that cannot be encoded (text that is not UTF-8) is an error.
Result<void> respond(Output& out, const nlohmann::json& value);

// Plays one prototype from a fresh start until "quit" or the end of the input.
Result<void> run_prototype(Input& in, Output& out);

}  // namespace burrowlight::agent
