#pragma once
// Small text helpers of the frame's parts.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace burrowlight::render {

// Texts with numbers are built by appending into one string: g++ 12 reports a false
// overlap (-Wrestrict) for a literal added to a temporary string in optimised builds.
inline std::string joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  return text;
}

inline std::int32_t length(std::string_view ascii) {
  return static_cast<std::int32_t>(ascii.size());
}

}  // namespace burrowlight::render
