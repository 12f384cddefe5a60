#pragma once
// The byte streams over file descriptors: standard input and output of the headless
// modes and the terminal.

#include <string>

#include "base/stream.hpp"

namespace burrowlight::sys {

// Buffers writes and hands them to the descriptor on flush (or when the buffer is large);
// a large piece with nothing before it is written at once.
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

}  // namespace burrowlight::sys
