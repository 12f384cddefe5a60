#include "sys/fd_stream.hpp"

#include "sys/io.hpp"

namespace burrowlight::sys {

namespace {
constexpr std::size_t kFlushThreshold = 64 * 1024;
// A piece this large is one write of its own anyway; it goes out without being copied.
constexpr std::size_t kDirectWrite = 16 * 1024;
}  // namespace

Result<void> FdOutput::write(std::string_view bytes) {
  if (pending_.empty() && bytes.size() >= kDirectWrite) return write_all(fd_, bytes);
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

Result<std::size_t> FdInput::read(std::span<char> buffer) { return read_some(fd_, buffer); }

}  // namespace burrowlight::sys
