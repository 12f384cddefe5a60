#pragma once
// The files the board's pages load from the board itself: its stylesheet and its script.

#include <string_view>

namespace burrowlight::board {

std::string_view board_stylesheet();
// Starts the web player on a run's page.
std::string_view board_script();

}  // namespace burrowlight::board
