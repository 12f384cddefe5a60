#include "app/random.hpp"

#include <sys/random.h>

#include <cerrno>

namespace burrowlight {

Result<void> fill_random(std::span<std::uint8_t> bytes) {
  // Large requests may be answered in parts, and a signal may interrupt the wait for
  // the entropy pool at boot; both are simply asked again.
  while (!bytes.empty()) {
    const ssize_t count = ::getrandom(bytes.data(), bytes.size(), 0);
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(Error::from_errno(errno));
    }
    bytes = bytes.subspan(static_cast<std::size_t>(count));
  }
  return {};
}

}  // namespace burrowlight
