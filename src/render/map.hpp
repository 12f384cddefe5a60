#pragma once
// The map panel of a full-size frame: the world around the player, drawn as
// coloured glyphs or as scaled pixel art, with ambient motes and floating texts on
// top.

#include "core/game.hpp"
#include "render/screen.hpp"
#include "render/view.hpp"

namespace burrowlight {

// Fills the map panel of a full-size frame; moves the camera as it goes.
void draw_map(Screen& screen, View& view, const Game& game, Story story, const Layout& layout);

}  // namespace burrowlight
