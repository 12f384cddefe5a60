#pragma once
// The headless expedition: a program plays a live expedition through pipes, one command
// per line in and one JSON reply per line out, with every accepted action saved before
// its reply is written.

#include "app/session.hpp"
#include "base/error.hpp"
#include "base/stream.hpp"

namespace burrowlight::app {

// Answers the opened state, then each line, until "quit" or the end of the input. Bad
// commands and refused actions only get failure replies; a failed save write, unreadable
// input or unwritable output ends the mode with that error. The session, and with it the
// save's lock, goes away on return.
Result<void> run_expedition(Session session, Input& in, Output& out);

}  // namespace burrowlight::app
