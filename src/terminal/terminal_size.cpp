#include "terminal/terminal_size.hpp"

#include <sys/ioctl.h>

#include <cerrno>

namespace burrowlight {

Result<TerminalSize> terminal_size(int fd) {
  winsize size{};
  while (::ioctl(fd, TIOCGWINSZ, &size) != 0) {
    if (errno != EINTR) return std::unexpected(Error::from_errno(errno));
  }
  return TerminalSize{size.ws_col, size.ws_row};
}

}  // namespace burrowlight
