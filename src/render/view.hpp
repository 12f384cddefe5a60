#pragma once
// The renderer's state between frames and its entry points: the loops hand it a game's
// scene and presentation once per frame and it composes the whole screen (header, map,
// side panel, field notes, footer, help) and flushes it against the frame shown before.
// The footer and the help belong to the front end: the games tell their own keys, and
// another front end showing the same game (a replay) brings its own words.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"
#include "base/stream.hpp"
#include "render/art.hpp"
#include "render/key_table.hpp"
#include "render/scene.hpp"
#include "render/screen.hpp"

namespace burrowlight::render {

// Below this size only a request to enlarge the terminal is drawn.
inline constexpr std::uint16_t kMinimumWidth = 90;
inline constexpr std::uint16_t kMinimumHeight = 30;
// Seconds a floating text stays on screen; it fades during the last second.
inline constexpr float kFloatLifetime = 2.0F;

// A short text that rises from a map tile and fades away.
struct Float {
  std::string text;
  std::int32_t x;
  std::int32_t y;
  // Seconds since it appeared.
  float age;
  Rgb colour;
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

// The panel geometry of one full-size frame. Under the two header rows the map and the
// side panel stand side by side down to the field notes, which stand on the footer's two
// lines.
struct Layout {
  // The rows of the frames of the map and the side panel start here, below the header.
  static constexpr std::int32_t kPanelTop = 3;
  // The field notes show two log lines of two rows each inside their frame.
  static constexpr std::int32_t kNoteRows = 2;
  static constexpr std::int32_t kNotesHeight = 2 * kNoteRows + 2;
  static constexpr std::int32_t kFooterRows = 2;

  std::int32_t width;
  std::int32_t height;
  // The width of the side panel.
  std::int32_t side_width;
  // The first column inside the side panel.
  std::int32_t side_x;

  static Layout of(std::uint16_t width, std::uint16_t height);

  // The first row of the field notes' frame.
  std::int32_t notes_top() const { return height - kFooterRows - kNotesHeight; }
  // The rows of the map's and the side panel's frames, borders included.
  std::int32_t panel_height() const { return notes_top() - kPanelTop; }
  // The rows inside the map's frame.
  std::int32_t map_rows() const { return panel_height() - 2; }
};

// How the player is drawn on the map: the sprite of the pixel map and the colour of both.
struct Figure {
  const art::Sprite& sprite;
  Rgb colour;
};

// What one game shows around its scene: the header's tagline and title, the side panel's
// title and contents, the player's figure and the keys of the front end that shows it.
struct Presentation {
  std::string_view tagline;
  std::string_view title;
  std::string_view panel_title;
  Figure player;
  const Controls& controls;
  // Fills the side panel inside its frame.
  std::function<void(Screen&, const Layout&)> panel;
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

  // Builds the frame for a terminal of width x height cells.
  Screen compose(const Scene& scene, const Presentation& presentation, std::uint16_t width,
                 std::uint16_t height);
  // Composes one frame and writes what changed since the last one.
  Result<void> draw_inner(const Scene& scene, const Presentation& presentation, std::uint16_t width,
                          std::uint16_t height, Output& out);
};

}  // namespace burrowlight::render
