#pragma once
// The keys typed at the terminal: reads the bytes that are there, decodes them and
// hands out one key at a time, keeping the keys of a burst for later calls.

#include <chrono>
#include <deque>
#include <optional>

#include "base/error.hpp"
#include "terminal/keys.hpp"

namespace burrowlight::terminal {

class Keyboard {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Keyboard(int fd) : fd_(fd) {}

  // The next key, waiting for it until `deadline` at most; nothing when the time
  // ran out first. The end of the terminal's input is an error, since no key can
  // come after it.
  Result<std::optional<Key>> next_key(Clock::time_point deadline);

 private:
  Result<void> read_available(Clock::time_point now);

  int fd_;
  KeyDecoder decoder_;
  std::deque<Key> ready_;
  Clock::time_point last_bytes_{};
};

}  // namespace burrowlight::terminal
