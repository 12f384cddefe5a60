#pragma once
// The framing of both headless modes: command lines in (a line ends at a line feed, a
// carriage return right before it is dropped, the last line counts without one, and
// every line must be UTF-8) and reply lines out, each flushed before the next command
// is read.

#include <optional>
#include <string>
#include <string_view>

#include "base/stream.hpp"

namespace burrowlight::app {

class LineReader {
 public:
  explicit LineReader(Input& input) : input_(input) {}

  // The next line, or nothing at the end of input. A line that is not UTF-8 is the
  // error "stream did not contain valid UTF-8".
  Result<std::optional<std::string>> next();

 private:
  Input& input_;
  // Bytes read but not yet handed out start at `start_`; the front is dropped only
  // once it outweighs the rest, so a burst of lines costs linear time.
  std::string buffer_;
  std::size_t start_ = 0;
  // Where the search for the next line feed resumes.
  std::size_t scanned_ = 0;
  bool at_end_ = false;
};

// Writes one reply line (with its line feed) and flushes, so that the driving program
// can read the reply before it sends the next line. Every headless reply goes out here.
Result<void> send_reply(Output& out, std::string_view line);

}  // namespace burrowlight::app
