#pragma once
// One frame of the replay as a person watching it sees it: the run at the step the
// player stands on, drawn by the game's renderer with the replay's footer and help, and
// flushed against the frame the view showed last. The terminal and a recording draw
// through here alike, so a recording holds the very frames the terminal shows.

#include "base/error.hpp"
#include "base/stream.hpp"
#include "render/view.hpp"
#include "replay/player.hpp"
#include "replay/timeline.hpp"
#include "terminal/terminal_size.hpp"

namespace burrowlight::replay {

Result<void> draw_replay_frame(render::View& view, const Timeline& timeline, const Player& player,
                               terminal::TerminalSize size, Output& out);

}  // namespace burrowlight::replay
