#pragma once
// The size of the terminal in character cells, asked afresh for every frame so
// that a resized window is drawn right at the next frame.

#include <cstdint>

#include "base/error.hpp"

namespace burrowlight::terminal {

struct TerminalSize {
  std::uint16_t columns;
  std::uint16_t rows;

  bool operator==(const TerminalSize&) const = default;
};

// The most columns and the most rows a frame is drawn on: a terminal that reports more
// (up to 65535 each) gets a frame of this size in its top left corner, rather than a
// frame of billions of cells that cannot be allocated.
inline constexpr std::uint16_t kLargestDrawnSide = 1000;

// Each side clamped to kLargestDrawnSide.
TerminalSize drawable_size(std::uint16_t columns, std::uint16_t rows);

// The terminal's size as drawable_size clamps it.
Result<TerminalSize> terminal_size(int fd);

}  // namespace burrowlight::terminal
