#pragma once
// What the replay tells about its keys, drawn by the game's renderer in place of the
// game's own words: a footer that says this is a replay, names the keys and shows where
// the replay stands, and a help overlay of its own.

#include <string>
#include <string_view>

#include "render/view.hpp"
#include "replay/player.hpp"
#include "replay/timeline.hpp"

namespace burrowlight::replay {

// The footer's upper line.
extern const std::string_view kFooterKeys;
extern const render::Guide kReplayGuide;

// The footer's lower line: the step shown out of the save's actions (the seal named
// after the last), whether it plays, and how fast.
std::string footer_notes(const Player& player, const Timeline& timeline);

}  // namespace burrowlight::replay
