#pragma once
// Raw mode of the terminal on standard input: no echo, no line editing, no signals
// from Ctrl+C or Ctrl+Z, every byte delivered as it comes. The attributes that were
// in force before are kept by the caller and put back exactly.

#include <termios.h>

#include "base/error.hpp"

namespace burrowlight::terminal {

Result<termios> read_terminal_attributes(int fd);

// Retries after interruptions; `attributes` take effect at once.
Result<void> write_terminal_attributes(int fd, const termios& attributes);

// The raw variant of `original`: what cfmakeraw does, and reads that return as
// soon as one byte is there.
termios raw_attributes(const termios& original);

}  // namespace burrowlight::terminal
