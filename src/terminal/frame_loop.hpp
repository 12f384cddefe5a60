#pragma once
// The frame loop every full-screen program runs: about thirty frames a second, each
// one advancing the animation, drawing the game at the terminal's current size and
// then waiting for a key for the rest of the frame, so that ambient motion goes on
// between key presses. The games differ only in what they draw and in their keys, and
// a game may move on by itself as time passes.

#include <chrono>

#include "base/error.hpp"
#include "base/stream.hpp"
#include "render/view.hpp"
#include "terminal/key_routing.hpp"
#include "terminal/keys.hpp"
#include "terminal/terminal_size.hpp"

namespace burrowlight::terminal {

inline constexpr std::chrono::nanoseconds kFramePeriod{33'000'000};
// A longer pause (a stopped process, a slow terminal) must not make the
// animation jump.
inline constexpr double kLongestTimeStep = 0.1;

class FrameGame {
 public:
  virtual ~FrameGame() = default;

  // Draws one frame of the game through `view`.
  virtual Result<void> draw(render::View& view, TerminalSize size, Output& out) = 0;

  // A key none of the shared keys took; an error ends the loop with it.
  virtual Result<void> on_key(const Key& key, render::View& view) = 0;

  // Called at the start of every frame, before it is drawn, with the seconds since the
  // previous frame as the animation sees them.
  virtual void on_frame(float /*seconds*/, render::View& /*view*/) {}

  // Whether the game takes `key` itself ahead of the shared presentation keys (Space,
  // G, Z and X); the quit keys, help and the small-terminal notice still come first.
  virtual KeyClaim claim(const Key& /*key*/) const { return KeyClaim::Shared; }
};

// The seconds between two frame starts, as the animation should see them.
float time_step(std::chrono::steady_clock::duration since_previous_frame);

// Takes the terminal over, runs frames until a quit key or an error, and gives the
// terminal back on every way out. Success after a quit key, else the error.
Result<void> run_frame_loop(FrameGame& game);

}  // namespace burrowlight::terminal
