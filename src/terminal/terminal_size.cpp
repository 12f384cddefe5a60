#include "terminal/terminal_size.hpp"

#include <sys/ioctl.h>

#include <algorithm>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"

namespace burrowlight::terminal {

TerminalSize drawable_size(std::uint16_t columns, std::uint16_t rows) {
  return {std::min(columns, kLargestDrawnSide), std::min(rows, kLargestDrawnSide)};
}

Result<TerminalSize> terminal_size(int fd) {
  winsize size{};
  if (sys::retry_interrupted([&] { return ::ioctl(fd, TIOCGWINSZ, &size); }) != 0) {
    return std::unexpected(sys::last_os_error());
  }
  return drawable_size(size.ws_col, size.ws_row);
}

}  // namespace burrowlight::terminal
