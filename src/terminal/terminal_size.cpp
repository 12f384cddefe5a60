#include "terminal/terminal_size.hpp"

#include <sys/ioctl.h>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"

namespace burrowlight {

Result<TerminalSize> terminal_size(int fd) {
  winsize size{};
  if (sys::retry_interrupted([&] { return ::ioctl(fd, TIOCGWINSZ, &size); }) != 0) {
    return std::unexpected(sys::last_os_error());
  }
  return TerminalSize{size.ws_col, size.ws_row};
}

}  // namespace burrowlight
