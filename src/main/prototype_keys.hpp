#pragma once
// What the game keys of the interactive prototype do: walk, interact, restart, and
// the floating texts that greet a found crystal and the waystone's awakening.

#include "core/game.hpp"
#include "render/view.hpp"
#include "terminal/keys.hpp"

namespace burrowlight::main {

// Applies a key the shared keys did not take; other keys change nothing.
void handle_prototype_key(const terminal::Key& key, Game& game, render::View& view);

}  // namespace burrowlight::main
