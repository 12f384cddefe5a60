#pragma once
// The byte streams over file descriptors: standard input and output of the headless
// modes and the terminal. Interrupted system calls are retried.

#include <string>

#include "core/stream.hpp"

namespace burrowlight {

// Writes all of `bytes` to `fd`, retrying after interruptions and partial writes.
Result<void> write_all(int fd, std::string_view bytes);

// Buffers writes and hands them to the descriptor on flush (or when the buffer is large).
class FdOutput final : public Output {
 public:
  explicit FdOutput(int fd) : fd_(fd) {}
  Result<void> write(std::string_view bytes) override;
  Result<void> flush() override;

 private:
  int fd_;
  std::string pending_;
};

class FdInput final : public Input {
 public:
  explicit FdInput(int fd) : fd_(fd) {}
  Result<std::size_t> read(std::span<char> buffer) override;

 private:
  int fd_;
};

}  // namespace burrowlight
