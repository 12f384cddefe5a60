#pragma once
// The renderer's state between frames and its entry points: the loops hand it the
// game once per frame and it composes the whole screen (header, map, side panel,
// field notes, footer, help) and flushes it against the frame shown before. The footer
// and the help belong to the front end: the games tell their own keys, and another
// front end showing the same game (a replay) brings its own words.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.hpp"
#include "core/expedition_actions.hpp"
#include "core/expedition_floors.hpp"
#include "core/game.hpp"
#include "core/stream.hpp"
#include "render/key_table.hpp"
#include "render/screen.hpp"

namespace burrowlight {

// Below this size only a request to enlarge the terminal is drawn.
inline constexpr std::uint16_t kMinimumWidth = 90;
inline constexpr std::uint16_t kMinimumHeight = 30;
// Seconds a floating text stays on screen; it fades during the last second.
inline constexpr float kFloatLifetime = 2.0F;

// Which of the two games a frame shows; they differ in texts, colours and the player.
enum class Story : std::uint8_t { Prototype, Expedition };

// A short text that rises from a map tile and fades away.
struct Float {
  std::string text;
  std::int32_t x;
  std::int32_t y;
  // Seconds since it appeared.
  float age;
  Rgb colour;
};

// The expedition shown with a frame, and whether it has been sealed.
struct ExpeditionView {
  const Expedition& expedition;
  bool sealed;
};

// The help overlay: a titled frame with a greeting, a summary wrapped on two lines,
// the key table (nine rows at most), a closing remark and how to leave the overlay.
struct Guide {
  std::string_view title;
  std::string_view greeting;
  Rgb greeting_colour;
  std::string_view summary;
  std::span<const HelpKey> keys;
  std::string_view closing;
  std::string_view dismiss;
};

// What a front end tells about its keys: the footer's two lines (`keys` in ink above,
// `notes` in dim below, left of the status) and its help overlay.
struct Controls {
  std::string_view keys;
  std::string_view notes;
  const Guide& guide;
};

// The panel geometry of one full-size frame.
struct Layout {
  std::int32_t width;
  std::int32_t height;
  // The width of the side panel.
  std::int32_t side_width;
  // The first column inside the side panel.
  std::int32_t side_x;

  static Layout of(std::uint16_t width, std::uint16_t height);
};

struct View {
  // Oldest first.
  std::vector<Float> floats;
  // The frame flushed last; empty until the first flush.
  std::optional<Screen> previous;
  // Index 0..3 into the pixel tile sizes 2, 4, 6 and 8.
  std::size_t zoom = 1;
  // The map tile shown at the top-left of the map area.
  std::int32_t camera_x = 0;
  std::int32_t camera_y = 0;
  // Animation time in seconds.
  float clock = 0.0F;
  // The terminal size of the last full-size frame.
  std::uint16_t last_width = 0;
  std::uint16_t last_height = 0;
  // Pixel sprites instead of coloured glyphs.
  bool pixels = false;
  // Ambient motion paused.
  bool still = false;
  // The help overlay is shown.
  bool help = false;
  // The camera is to be centred on the player at the next full-size frame.
  bool recenter = true;

  View() = default;

  // Moves the animation clock and the floating texts on by `dt` seconds, unless still.
  void advance(float dt);
  // Centres the camera at the next frame and drops every floating text.
  void reset_camera();
  // Adds the floating text of an expedition event at the player's tile (x, y).
  void on_expedition_event(const expedition::Event& event, std::int32_t x, std::int32_t y);

  // Builds the frame for a terminal of width x height cells. `expedition` is
  // empty for the prototype. Without `controls` the game's own are shown.
  Screen compose(const Game& game, std::optional<ExpeditionView> expedition, std::uint16_t width,
                 std::uint16_t height);
  Screen compose(const Game& game, std::optional<ExpeditionView> expedition,
                 const Controls& controls, std::uint16_t width, std::uint16_t height);
  // Composes one frame and writes what changed since the last one.
  Result<void> draw_inner(const Game& game, std::optional<ExpeditionView> expedition,
                          std::uint16_t width, std::uint16_t height, Output& out);
  Result<void> draw_inner(const Game& game, std::optional<ExpeditionView> expedition,
                          const Controls& controls, std::uint16_t width, std::uint16_t height,
                          Output& out);
};

}  // namespace burrowlight
