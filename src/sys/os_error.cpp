#include "sys/os_error.hpp"

#include <string.h>

#include <cerrno>
#include <string>

namespace burrowlight::sys {

Error os_error(int code) {
  char buffer[256];
  // The GNU strerror_r returns a pointer that may or may not be the buffer.
  return Error::os(code, strerror_r(code, buffer, sizeof buffer));
}

Error last_os_error() { return os_error(errno); }

Error last_os_error(std::string_view context) {
  const int code = errno;
  char buffer[256];
  return Error::os(code, std::string(context) + ": " + strerror_r(code, buffer, sizeof buffer));
}

}  // namespace burrowlight::sys
