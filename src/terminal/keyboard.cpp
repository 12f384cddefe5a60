#include "terminal/keyboard.hpp"

#include <poll.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "sys/io.hpp"

namespace burrowlight::terminal {

Result<std::optional<Key>> Keyboard::next_key(Clock::time_point deadline) {
  while (true) {
    if (!ready_.empty()) {
      Key key = ready_.front();
      ready_.pop_front();
      return key;
    }
    auto now = Clock::now();
    auto wait_until = deadline;
    if (decoder_.pending()) {
      auto escape_deadline = last_bytes_ + kEscapeTimeout;
      if (now >= escape_deadline) {
        for (const Key& key : decoder_.decode({}, now - last_bytes_)) ready_.push_back(key);
        continue;
      }
      wait_until = std::min(deadline, escape_deadline);
    }
    auto readable = sys::wait_until_ready(fd_, POLLIN, wait_until);
    if (!readable) return std::unexpected(readable.error());
    if (*readable) {
      if (auto read = read_available(Clock::now()); !read) return std::unexpected(read.error());
    } else if (Clock::now() >= deadline) {
      return std::nullopt;
    }
  }
}

Result<void> Keyboard::read_available(Clock::time_point now) {
  std::array<char, 256> buffer{};
  auto count = sys::read_some(fd_, buffer);
  if (!count) return std::unexpected(count.error());
  if (*count == 0) return std::unexpected(Error("the terminal closed its input"));
  std::string_view bytes(buffer.data(), *count);
  for (const Key& key : decoder_.decode(bytes, now - last_bytes_)) ready_.push_back(key);
  last_bytes_ = now;
  return {};
}

}  // namespace burrowlight::terminal
