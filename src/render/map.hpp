#pragma once
// The map panel of a full-size frame: the world around the player, drawn as
// coloured glyphs or as scaled pixel art, with ambient motes and floating texts on
// top.

#include "render/scene.hpp"
#include "render/screen.hpp"
#include "render/view.hpp"

namespace burrowlight::render {

// Fills the map panel of a full-size frame; moves the camera as it goes.
void draw_map(Screen& screen, View& view, const Scene& scene, const Figure& player,
              const Layout& layout);

}  // namespace burrowlight::render
