#pragma once
// The files the board's pages load from the board itself: its stylesheet and its script.

#include <string_view>

namespace burrowlight::board {

std::string_view board_stylesheet();
// Starts the web player on a run's page, and the live feed of the newest runs on the
// front page (polling /api/runs/newest every 2 seconds).
std::string_view board_script();

}  // namespace burrowlight::board
