#pragma once
// Frames composed the way the game loops compose them, and readers of their text, for
// the view's tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/expedition.hpp"
#include "core/expedition_world.hpp"
#include "core/game.hpp"
#include "render/expedition_presentation.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"

namespace burrowlight::render::view_frames {

// The game of an expedition at its start, with the opening lines of the field notes.
inline Game expedition_game(const Expedition& expedition) {
  Game game = Game::from_world(expedition::world(expedition), expedition.x, expedition.y);
  game.log("Every floor has a way back. Remember where you came from.");
  game.log(
      "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its "
      "current score.");
  return game;
}

// A prototype frame, composed as its loop composes it.
inline Screen compose(View& view, const Game& game, std::uint16_t width, std::uint16_t height) {
  return view.compose(prototype_scene(game), prototype_presentation(game), width, height);
}

// A frame of the expedition: the map, log and player of `game` with the name of the floor
// and the panels of `shown`.
inline Screen compose(View& view, const Game& game, ExpeditionView shown, std::uint16_t width,
                      std::uint16_t height) {
  Scene scene = prototype_scene(game);
  scene.place = floor_name(shown.expedition.floor);
  return view.compose(scene, expedition_presentation(shown), width, height);
}

// A frame of the prototype; `view` carries the presentation settings.
inline Screen prototype_frame(std::uint16_t width, std::uint16_t height,
                              const Game& game = Game::authored(), View view = View()) {
  return compose(view, game, width, height);
}

// A frame of seed 0's first floor with the panels of `shown`.
inline Screen delve_frame(const Expedition& shown, std::uint16_t width, std::uint16_t height,
                          bool sealed = false) {
  View view;
  return compose(view, expedition_game(Expedition(0)), ExpeditionView{shown, sealed}, width,
                 height);
}

inline std::vector<std::string> rows(const Screen& screen) {
  std::vector<std::string> result;
  for (std::int32_t y = 0; y < screen.height; ++y) result.push_back(screen.row_text(y));
  return result;
}

inline std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The characters of the cells x .. x+count-1 of row y, trailing spaces dropped.
// Characters outside ASCII show as "?".
inline std::string cells_text(const Screen& screen, std::int32_t x, std::int32_t y,
                              std::int32_t count) {
  std::string narrow;
  for (std::int32_t i = 0; i < count; ++i) {
    char32_t ch = screen.at(x + i, y).ch;
    narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
  }
  return trimmed(narrow);
}

}  // namespace burrowlight::render::view_frames
