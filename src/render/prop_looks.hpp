#pragma once
// How every kind of prop looks, kept in one table so that a kind is restyled in one
// place: its glyph, its sprite, its colour and the light it casts.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/world.hpp"
#include "render/art.hpp"
#include "render/screen.hpp"

namespace burrowlight::render {

// How a light's brightness changes with the clock.
enum class Glow : std::uint8_t {
  Steady,
  // A fast, uneven flicker whose phase differs from tile to tile.
  FlameFlicker,
  // A slow breathing shared by every crystal.
  CrystalPulse,
  // A slow breathing shared by every portal.
  PortalPulse,
};

// The light a prop casts while it is active.
struct PropLight {
  Rgb colour;
  // In tiles.
  float radius;
  Glow glow;
};

// Whether a sprite takes on the light that falls on it or shows its own colours.
enum class Shading : std::uint8_t { Lit, SelfLit };

// Whether a sprite stays put or hovers one pixel up for part of every bob cycle.
enum class Motion : std::uint8_t { Still, Bobbing };

// How a prop is shown: the glyph in GLYPHS mode, the sprite in PIXELS mode, and the
// colour of both (the glyph's foreground, the sprite's body).
struct PropLook {
  std::string_view glyph;
  // The glyph of an extinguished flame.
  std::string_view glyph_unlit;
  Rgb colour;
  const art::Sprite* sprite = nullptr;
  std::optional<PropLight> light = std::nullopt;
  Shading shading = Shading::Lit;
  Motion motion = Motion::Still;
};

// The look of `kind`. A crystal's colour, and so its light's, is that of the crystal
// it is.
PropLook look(PropKind kind);

}  // namespace burrowlight::render
