#include "render/lights.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "render/palette.hpp"
#include "render/prop_looks.hpp"

namespace burrowlight::render {
namespace {

constexpr Rgb kPlayerLight{126, 110, 73};
constexpr float kPlayerLightRadius = 9.0F;

// The awakened waystone lights the whole clearing in gold, whatever its kind's
// usual light.
constexpr PropLight kAwakenedWaystoneLight{palette::gold, 10.0F, Glow::Steady};

std::uint8_t channel(float value) {
  if (!(value > 0.0F)) return 0;
  if (value >= 255.0F) return 255;
  return static_cast<std::uint8_t>(value);
}

// Every flame flickers out of step with its neighbours, by a phase from its tile.
float flicker(const Prop& prop, float t) {
  float phase = 0.8F * static_cast<float>(prop.x) + static_cast<float>(prop.y);
  return 0.88F + 0.08F * std::sin(6.3F * t + phase) + 0.04F * std::sin(13.1F * t + phase);
}

}  // namespace

std::vector<Light> lights(const Scene& scene, float t) {
  std::vector<Light> result;
  result.push_back({scene.x, scene.y, kPlayerLightRadius, kPlayerLight});
  float portal_pulse = 0.85F + 0.1F * std::sin(1.5F * t);
  float crystal_pulse = 0.7F + 0.12F * std::sin(1.7F * t);
  for (const Prop& prop : scene.world.props) {
    if (!prop.active) continue;
    std::optional<PropLight> light = look(prop.kind).light;
    if (!light) continue;
    if (prop.kind.tag() == PropKind::Tag::ForestWaystone && scene.awakened) {
      light = kAwakenedWaystoneLight;
    }
    Rgb colour = light->colour;
    switch (light->glow) {
      case Glow::Steady:
        break;
      case Glow::FlameFlicker:
        colour = colour.scale(flicker(prop, t));
        break;
      case Glow::CrystalPulse:
        colour = colour.scale(crystal_pulse);
        break;
      case Glow::PortalPulse:
        colour = colour.scale(portal_pulse);
        break;
    }
    result.push_back({prop.x, prop.y, light->radius, colour});
  }
  return result;
}

Rgb light_at(std::span<const Light> lights, std::int32_t x, std::int32_t y) {
  Rgb total{0, 0, 0};
  for (const Light& light : lights) {
    float dx = static_cast<float>(static_cast<std::int64_t>(x) - light.x);
    float dy = static_cast<float>(static_cast<std::int64_t>(y) - light.y);
    // Outside this box the light cannot reach, and the square root is the costly part.
    if (std::abs(dx) > light.radius || std::abs(dy) > light.radius) continue;
    float distance = std::sqrt(dx * dx + dy * dy);
    float reach = std::max(0.0F, 1.0F - distance / light.radius);
    total = saturating_add(total, light.colour.scale(reach * reach * 0.42F));
  }
  return total;
}

Rgb saturating_add(Rgb left, Rgb right) {
  auto add = [](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::min(255, a + b));
  };
  return {add(left.r, right.r), add(left.g, right.g), add(left.b, right.b)};
}

Rgb remembered(Rgb colour) {
  float luminance = 0.3F * static_cast<float>(colour.r) + 0.5F * static_cast<float>(colour.g) +
                    0.2F * static_cast<float>(colour.b);
  return {channel(luminance * 0.2F), channel(luminance * 0.24F), channel(luminance * 0.34F)};
}

}  // namespace burrowlight::render
