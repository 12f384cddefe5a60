#include "terminal/frame_loop.hpp"

#include <unistd.h>

#include <algorithm>

#include "sys/fd_stream.hpp"
#include "terminal/key_routing.hpp"
#include "terminal/keyboard.hpp"
#include "terminal/terminal_session.hpp"

namespace burrowlight::terminal {

namespace {

using Clock = std::chrono::steady_clock;

// The frames and keys, once the terminal is in game mode; returns with the
// terminal still in game mode, whatever the outcome.
Result<void> run_frames(FrameGame& game, TerminalSession& session, Output& out) {
  render::View view;
  Keyboard keyboard(STDIN_FILENO);
  auto previous_start = Clock::now();
  while (true) {
    auto frame_start = Clock::now();
    auto resumed = session.follow_stop_and_continue();
    if (!resumed) return std::unexpected(resumed.error());
    // The terminal showed the shell while the process was stopped, so nothing of
    // the last frame can be assumed to be on the screen.
    if (*resumed) view.previous.reset();

    const float seconds = time_step(frame_start - previous_start);
    view.advance(seconds);
    game.on_frame(seconds, view);
    previous_start = frame_start;

    auto size = terminal_size(STDOUT_FILENO);
    if (!size) return std::unexpected(size.error());
    if (auto drawn = game.draw(view, *size, out); !drawn) return drawn;

    auto key = keyboard.next_key(frame_start + kFramePeriod);
    if (!key) return std::unexpected(key.error());
    if (!*key) continue;
    switch (
        route_key(**key, view, is_small_terminal(size->columns, size->rows), game.claim(**key))) {
      case KeyRoute::Quit:
        return out.flush();
      case KeyRoute::Handled:
        break;
      case KeyRoute::Game:
        if (auto handled = game.on_key(**key, view); !handled) return handled;
        break;
    }
  }
}

}  // namespace

float time_step(Clock::duration since_previous_frame) {
  double seconds = std::chrono::duration<double>(since_previous_frame).count();
  return static_cast<float>(std::clamp(seconds, 0.0, kLongestTimeStep));
}

Result<void> run_frame_loop(FrameGame& game) {
  auto session = TerminalSession::enter();
  if (!session) return std::unexpected(session.error());
  sys::FdOutput out(STDOUT_FILENO);
  auto result = run_frames(game, *session, out);
  restore_terminal();
  return result;
}

}  // namespace burrowlight::terminal
