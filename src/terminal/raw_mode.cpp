#include "terminal/raw_mode.hpp"

#include "sys/os_error.hpp"
#include "sys/retry.hpp"

namespace burrowlight::terminal {

Result<termios> read_terminal_attributes(int fd) {
  termios attributes{};
  if (::tcgetattr(fd, &attributes) != 0) return std::unexpected(sys::last_os_error());
  return attributes;
}

Result<void> write_terminal_attributes(int fd, const termios& attributes) {
  if (sys::retry_interrupted([&] { return ::tcsetattr(fd, TCSANOW, &attributes); }) != 0) {
    return std::unexpected(sys::last_os_error());
  }
  return {};
}

termios raw_attributes(const termios& original) {
  termios raw = original;
  raw.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  return raw;
}

}  // namespace burrowlight::terminal
