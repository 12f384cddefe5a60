#pragma once
// What the game keys of the interactive expedition do: an arrow walks or digs, E
// uses the flask or portal underfoot, F seals the run. Every accepted action is on
// disk before it shows; a refusal only writes its sentence to the log.

#include "app/session.hpp"
#include "base/error.hpp"
#include "render/view.hpp"
#include "terminal/keys.hpp"

namespace burrowlight::main {

// Applies a key the shared keys did not take; other keys change nothing. An error
// (the save could not be written) ends the game.
Result<void> handle_expedition_key(const terminal::Key& key, app::Session& session, render::View& view);

}  // namespace burrowlight::main
