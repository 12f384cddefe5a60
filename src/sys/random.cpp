#include "sys/random.hpp"

#include <sys/random.h>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"

namespace burrowlight::sys {

Result<void> fill_random(std::span<std::uint8_t> bytes) {
  // Large requests may be answered in parts; a signal during the wait for the entropy
  // pool at boot is retried like any other interruption.
  while (!bytes.empty()) {
    const ssize_t count =
        retry_interrupted([&] { return ::getrandom(bytes.data(), bytes.size(), 0); });
    if (count < 0) return std::unexpected(last_os_error());
    bytes = bytes.subspan(static_cast<std::size_t>(count));
  }
  return {};
}

}  // namespace burrowlight::sys
