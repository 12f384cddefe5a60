#pragma once
// The words every game's help overlay shares.

#include <string_view>

namespace burrowlight::render {

inline constexpr std::string_view kGuideTitle = "A SMALL GUIDE TO AN IMPOSSIBLE PLACE";
inline constexpr std::string_view kReturnToGame = "Press ? or Enter to return to the game.";

}  // namespace burrowlight::render
