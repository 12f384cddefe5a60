#include "core/error.hpp"

#include <string.h>

namespace burrowlight {

Error Error::from_errno(int code) {
  char buffer[256];
  // The GNU strerror_r returns a pointer that may or may not be the buffer.
  const char* description = strerror_r(code, buffer, sizeof buffer);
  Error error(std::string(description) + " (os error " + std::to_string(code) + ")");
  error.os_code_ = code;
  return error;
}

}  // namespace burrowlight
