#pragma once
// The light of a frame: the sources that the player and the lit props cast at a
// moment of the clock, what they add up to on a tile, and the grey-blue of tiles
// that are remembered but no longer in view.

#include <cstdint>
#include <span>
#include <vector>

#include "render/scene.hpp"
#include "render/screen.hpp"

namespace burrowlight::render {

// One light source of the current frame.
struct Light {
  std::int32_t x;
  std::int32_t y;
  // In tiles.
  float radius;
  Rgb colour;
};

// The player's light first, then one per lit prop in list order, at clock `t`.
std::vector<Light> lights(const Scene& scene, float t);

// The sum of every light's contribution at tile (x, y).
Rgb light_at(std::span<const Light> lights, std::int32_t x, std::int32_t y);

Rgb saturating_add(Rgb left, Rgb right);

// The grey-blue of a remembered tile that is no longer in view.
Rgb remembered(Rgb colour);

}  // namespace burrowlight::render
