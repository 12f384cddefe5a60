#pragma once
// The release that every program of a build belongs to: the game's version line and the
// tools' own show it.

#include <string_view>

namespace burrowlight {

inline constexpr std::string_view kVersion = "0.1.0-alpha.1";

}  // namespace burrowlight
