#pragma once
// The headless prototype: a program plays the authored location through pipes, one
// command per line in and one JSON reply per line out. `respond` is the single
// writer of every headless reply, so the expedition protocol uses it too.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/game.hpp"
#include "core/stream.hpp"

namespace burrowlight::agent {

// Everything a program needs to choose its next command: the text map, what is in
// view, the legal commands, the log and the objective. Reads the game only.
nlohmann::json observation(const Game& game);

// One reply line: `value` as compact JSON with its keys in byte order, then a line
// feed. A value that cannot be encoded (text that is not UTF-8) is an error.
Result<std::string> encode(const nlohmann::json& value);

// Writes an encoded reply line and flushes, so that the driving program can read
// the reply before it sends the next line.
Result<void> send(Output& out, std::string_view line);

// Encodes `value` and sends it: the way every headless reply is written.
Result<void> respond(Output& out, const nlohmann::json& value);

// Plays one prototype from a fresh start until "quit" or the end of the input.
Result<void> run_prototype(Input& in, Output& out);

}  // namespace burrowlight::agent
