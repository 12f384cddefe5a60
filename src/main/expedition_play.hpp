#pragma once
// The interactive expedition: a saved run played full-screen with the keyboard.

#include "app/session.hpp"
#include "base/error.hpp"

namespace burrowlight::main {

// Runs until a quit key; success, or the error that ended it (a failed save write
// included). Takes the session over: when it returns, the save's lock is released.
// Standard input and output must be a terminal.
Result<void> play_expedition(app::Session session);

}  // namespace burrowlight::main
