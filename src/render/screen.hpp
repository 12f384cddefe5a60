#pragma once
// The cell grid that every frame is composed in, its few drawing primitives, and
// the one place that turns a composed frame into terminal bytes: a difference
// update against the frame shown last, inside one synchronized update.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"
#include "base/stream.hpp"

namespace burrowlight::render {

struct Rgb {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;

  bool operator==(const Rgb&) const = default;

  // Each channel times `factor` in single precision, clamped to 0..255 and
  // truncated toward zero.
  Rgb scale(float factor) const;
};

struct ScreenCell {
  char32_t ch;
  Rgb fg;
  Rgb bg;

  bool operator==(const ScreenCell&) const = default;
};

inline constexpr Rgb kDefaultForeground{204, 204, 211};
inline constexpr Rgb kDefaultBackground{5, 7, 13};
inline constexpr Rgb kFrameBackground{11, 14, 23};
inline constexpr Rgb kFrameBorder{63, 71, 91};

// Every write is clipped to the grid: a cell outside it is skipped, so drawing
// never fails and callers may draw partly off-screen.
struct Screen {
  std::vector<ScreenCell> cells;
  std::int32_t width;
  std::int32_t height;

  // A blank grid in the default colours, the size of the terminal.
  Screen(std::uint16_t width, std::uint16_t height);

  void put(std::int32_t x, std::int32_t y, char32_t ch, Rgb fg, Rgb bg);

  // One cell per Unicode scalar to the right, keeping each cell's background;
  // x advances for every scalar, whether or not its cell was on the screen.
  void text(std::int32_t x, std::int32_t y, std::string_view s, Rgb fg);

  // The first `max_chars` scalars of `s`, drawn with `text`, without a mark of the cut.
  void clipped(std::int32_t x, std::int32_t y, std::int32_t max_chars, std::string_view s, Rgb fg);

  // Greedy word wrap into at most `max_lines` lines of at most `width` scalars;
  // whatever does not fit is dropped silently.
  void wrap(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t max_lines,
            std::string_view s, Rgb fg);

  // A filled panel with a rounded border and " {title} " set into its top edge.
  void frame(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
             std::string_view title);

  // The cell at (x, y), which must be inside the grid.
  const ScreenCell& at(std::int32_t x, std::int32_t y) const;

  // The characters of row y as UTF-8, so that tests can compare a picture with text.
  std::string row_text(std::int32_t y) const;

  bool contains(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height;
  }
};

// The bytes that bring a terminal showing `previous` (or anything, when there is
// no comparable previous frame) to `screen`, without the synchronized-update
// bracket; empty when nothing changed.
std::string frame_update(const Screen& screen, const std::optional<Screen>& previous);

// Writes the changes since `previous` as one synchronized update and, on success,
// makes `screen` the new `previous`. On an error `previous` keeps the older frame,
// so the next flush is compared with what the terminal last received in full.
Result<void> flush(Screen screen, std::optional<Screen>& previous, Output& out);

}  // namespace burrowlight::render
