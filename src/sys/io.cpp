#include "sys/io.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::sys {

int write_fully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written =
        retry_interrupted([&] { return ::write(fd, bytes.data(), bytes.size()); });
    if (written < 0) return errno;
    if (written == 0) return kWroteNothing;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

Result<void> write_all(int fd, std::string_view bytes) {
  const int failure = write_fully(fd, bytes);
  if (failure == 0) return {};
  if (failure == kWroteNothing) return std::unexpected(Error("failed to write whole buffer"));
  return std::unexpected(os_error(failure));
}

Result<std::size_t> read_some(int fd, std::span<char> buffer) {
  const ssize_t count = retry_interrupted([&] { return ::read(fd, buffer.data(), buffer.size()); });
  if (count < 0) return std::unexpected(last_os_error());
  return static_cast<std::size_t>(count);
}

Result<std::string> read_at_most(int fd, std::size_t limit) {
  std::string bytes(limit, '\0');
  std::size_t filled = 0;
  while (filled < limit) {
    const auto count = read_some(fd, std::span<char>(bytes).subspan(filled));
    if (!count) return std::unexpected(count.error());
    if (*count == 0) break;
    filled += *count;
  }
  bytes.resize(filled);
  return bytes;
}

Result<std::string> read_file_start(const std::string& path, std::size_t limit,
                                    const Error& not_regular) {
  // Without O_NONBLOCK the open of a FIFO waits for a writer that may never come; a
  // terminal must not become the controlling one.
  UniqueFd file(retry_interrupted(
      [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); }));
  if (!file.valid()) {
    const Error failure = last_os_error();
    // A socket cannot be opened at all; it is refused as what it is, not as ENXIO.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
      return std::unexpected(not_regular);
    }
    return std::unexpected(failure);
  }
  struct stat opened {};
  if (::fstat(file.get(), &opened) != 0) return std::unexpected(last_os_error());
  if (!S_ISREG(opened.st_mode)) return std::unexpected(not_regular);
  return read_at_most(file.get(), limit + 1);
}

Result<bool> wait_until_ready(int fd, short events, Clock::time_point deadline) {
  pollfd descriptor{fd, events, 0};
  const int ready = retry_interrupted([&] {
    // Recomputed for every try, so an interruption neither shortens nor lengthens the wait.
    const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
    descriptor.revents = 0;
    return ::ppoll(&descriptor, 1, &wait, nullptr);
  });
  if (ready < 0) return std::unexpected(last_os_error());
  if (ready == 0) return false;
  if ((descriptor.revents & POLLNVAL) != 0) return std::unexpected(os_error(EBADF));
  return true;
}

}  // namespace burrowlight::sys
