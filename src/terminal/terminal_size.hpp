#pragma once
// The size of the terminal in character cells, asked afresh for every frame so
// that a resized window is drawn right at the next frame.

#include <cstdint>

#include "core/error.hpp"

namespace burrowlight {

struct TerminalSize {
  std::uint16_t columns;
  std::uint16_t rows;

  bool operator==(const TerminalSize&) const = default;
};

Result<TerminalSize> terminal_size(int fd);

}  // namespace burrowlight
