#pragma once
// How the expedition shows itself on the frame: the scene of a run's current floor, its
// header, the delver's panel and figure, its own keys, and the floating texts of its
// events.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/expedition.hpp"
#include "core/expedition_run.hpp"
#include "render/scene.hpp"
#include "render/view.hpp"

namespace burrowlight::render {

// The expedition the side panel tells of, and whether it has been sealed.
struct ExpeditionView {
  const Expedition& expedition;
  bool sealed;
};

// The name of floor `floor` (0 is the top), the map's title; the last floor's name below it.
std::string_view floor_name(std::size_t floor);

// The current floor's grid world, what is in view and remembered on it, the log, the
// player and the floor's name.
Scene expedition_scene(const expedition::Run& run);

// The presentation of `shown`, whose expedition must outlive it, with the expedition's
// own keys or with the keys of another front end that shows it.
Presentation expedition_presentation(ExpeditionView shown);
Presentation expedition_presentation(ExpeditionView shown, const Controls& controls);

// Adds the floating text of an expedition event at the player's tile (x, y).
void show_event(View& view, const expedition::Event& event, std::int32_t x, std::int32_t y);

}  // namespace burrowlight::render
