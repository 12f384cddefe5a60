#pragma once
// The escapes JSON writes for the bytes it may not leave as they are: every byte below
// 0x20 and the two that JSON reserves, in the forms the headless replies have always used
// (the short ones where JSON has them, otherwise \u00xx in lower case).

#include <array>
#include <cstddef>
#include <string_view>

namespace burrowlight {

// Indexed by byte; empty for bytes that stand for themselves.
inline constexpr std::array<std::string_view, 0x60> kJsonEscapes = [] {
  std::array<std::string_view, 0x60> escapes{};
  constexpr std::string_view kControls[0x20] = {
      "\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005", "\\u0006", "\\u0007",
      "\\b",     "\\t",     "\\n",     "\\u000b", "\\f",     "\\r",     "\\u000e", "\\u000f",
      "\\u0010", "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017",
      "\\u0018", "\\u0019", "\\u001a", "\\u001b", "\\u001c", "\\u001d", "\\u001e", "\\u001f",
  };
  for (std::size_t byte = 0; byte < 0x20; ++byte) escapes[byte] = kControls[byte];
  escapes['"'] = "\\\"";
  escapes['\\'] = "\\\\";
  return escapes;
}();

}  // namespace burrowlight
