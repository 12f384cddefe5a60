#include "app/fd_stream.hpp"

#include <unistd.h>

#include <cerrno>

namespace burrowlight {

namespace {
constexpr std::size_t kFlushThreshold = 64 * 1024;
}

Result<void> write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(Error::from_errno(errno));
    }
    if (written == 0) return std::unexpected(Error("failed to write whole buffer"));
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

Result<void> FdOutput::write(std::string_view bytes) {
  pending_.append(bytes);
  if (pending_.size() >= kFlushThreshold) return flush();
  return {};
}

Result<void> FdOutput::flush() {
  auto result = write_all(fd_, pending_);
  // What failed to go out is dropped with the error: the caller ends the mode on it.
  pending_.clear();
  return result;
}

Result<std::size_t> FdInput::read(std::span<char> buffer) {
  while (true) {
    ssize_t count = ::read(fd_, buffer.data(), buffer.size());
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::unexpected(Error::from_errno(errno));
  }
}

}  // namespace burrowlight
