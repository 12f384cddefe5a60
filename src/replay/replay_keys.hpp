#pragma once
// What the keys of the replay do: step forward and back, jump to either end, play and
// pause, change the speed. The view follows the step shown as it followed the game: a
// step forward raises its floating text, and another floor re-centres the camera.

#include <cstdint>
#include <optional>

#include "render/view.hpp"
#include "replay/player.hpp"
#include "replay/timeline.hpp"
#include "terminal/keys.hpp"

namespace burrowlight::replay {

enum class ReplayCommand : std::uint8_t { Forward, Back, First, Last, PlayOrPause, Faster, Slower };

// Right, L or "." forward; Left, H or "," back; Home and End; Space; "+" and "-".
std::optional<ReplayCommand> replay_command(const terminal::Key& key);

// Carries out a command as its key does, showing the step reached as the game showed it.
void apply_replay_command(ReplayCommand command, const Timeline& timeline, Player& player,
                          render::View& view);

// Applies a key the shared keys did not take; other keys change nothing.
void handle_replay_key(const terminal::Key& key, const Timeline& timeline, Player& player, render::View& view);

// Plays on by `seconds`, showing each step taken as the game showed it.
void play_on(float seconds, const Timeline& timeline, Player& player, render::View& view);

}  // namespace burrowlight::replay
