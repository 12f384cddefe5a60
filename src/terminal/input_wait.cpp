#include "terminal/input_wait.hpp"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace burrowlight {

Result<bool> wait_for_input(int fd, std::chrono::nanoseconds timeout) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + timeout;
  while (true) {
    auto left = std::max(std::chrono::nanoseconds::zero(), deadline - Clock::now());
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    timespec wait{static_cast<time_t>(seconds.count()),
                  static_cast<long>((left - seconds).count())};
    pollfd descriptor{fd, POLLIN, 0};
    int ready = ::ppoll(&descriptor, 1, &wait, nullptr);
    if (ready > 0) {
      // A descriptor that is not open can never become readable; waiting on would spin.
      if ((descriptor.revents & POLLNVAL) != 0) return std::unexpected(Error::from_errno(EBADF));
      return true;
    }
    if (ready == 0) return false;
    if (errno != EINTR) return std::unexpected(Error::from_errno(errno));
  }
}

}  // namespace burrowlight
