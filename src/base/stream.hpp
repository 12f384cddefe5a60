#pragma once
// Byte streams as interfaces, so that the headless protocols and the renderer write
// through one seam: a file descriptor in the program, memory in tests and benchmarks.

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight {

class Output {
 public:
  virtual ~Output() = default;
  virtual Result<void> write(std::string_view bytes) = 0;
  virtual Result<void> flush() = 0;
};

class Input {
 public:
  virtual ~Input() = default;
  // Reads up to buffer.size() bytes; 0 means end of input.
  virtual Result<std::size_t> read(std::span<char> buffer) = 0;
};

class StringOutput final : public Output {
 public:
  Result<void> write(std::string_view bytes) override {
    bytes_.append(bytes);
    return {};
  }
  Result<void> flush() override {
    ++flushes_;
    return {};
  }
  const std::string& bytes() const { return bytes_; }
  std::size_t flushes() const { return flushes_; }
  void clear() { bytes_.clear(); }

 private:
  std::string bytes_;
  std::size_t flushes_ = 0;
};

class StringInput final : public Input {
 public:
  explicit StringInput(std::string bytes) : bytes_(std::move(bytes)) {}
  Result<std::size_t> read(std::span<char> buffer) override {
    std::size_t count = std::min(buffer.size(), bytes_.size() - position_);
    bytes_.copy(buffer.data(), count, position_);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

}  // namespace burrowlight
