#pragma once
// How the prototype shows itself on the frame: the scene of its state, and its header,
// side panel, Pip's figure and its own keys.

#include "core/game.hpp"
#include "render/scene.hpp"
#include "render/view.hpp"

namespace burrowlight::render {

// The world, what is in view and remembered, the log, Pip and the area Pip stands in.
Scene prototype_scene(const Game& game);

// The presentation of `game`, which must outlive it, with the prototype's own keys.
Presentation prototype_presentation(const Game& game);

}  // namespace burrowlight::render
