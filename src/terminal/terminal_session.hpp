#pragma once
// Game mode of the terminal (raw input, alternate screen, hidden cursor, no line
// wrap) and the one way back from it, which every exit takes: a normal return, an
// error, a panic, an uncaught exception, a fatal or terminating signal, and a stop
// with Ctrl+Z sent from outside.

#include <string_view>

#include "base/error.hpp"

namespace burrowlight::terminal {

inline constexpr std::string_view kEnterSequences[] = {"\x1b[?1049h", "\x1b[?25l", "\x1b[?7l"};
inline constexpr std::string_view kRestoreSequences[] = {"\x1b[0m", "\x1b[?25h", "\x1b[?7h",
                                                         "\x1b[?1049l"};

// Owns game mode for as long as it lives; its end restores the terminal.
class TerminalSession {
 public:
  static Result<TerminalSession> enter();

  TerminalSession(TerminalSession&& other) noexcept : active_(other.active_) {
    other.active_ = false;
  }
  TerminalSession& operator=(TerminalSession&&) = delete;
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;
  ~TerminalSession();

  // Called by the frame loop between frames. Stops the process now if a stop was
  // requested during the frame, with the terminal restored first. Returns true once
  // after the process was continued: game mode has then been taken up again, and
  // the whole screen must be drawn anew because the terminal showed something else
  // meanwhile. An error when game mode could not be taken up again.
  Result<bool> follow_stop_and_continue();

 private:
  TerminalSession() = default;

  bool active_ = true;
};

// Raw mode off (the attributes from before game mode, exactly), then the four
// restore sequences. Does nothing unless game mode is on, so it may run any number
// of times; it uses only calls that are safe inside a signal handler, and ignores
// every failure, since it is the last thing done on the way out.
void restore_terminal();

}  // namespace burrowlight::terminal
