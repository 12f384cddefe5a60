#pragma once
// Line input of the headless modes: lines end at a line feed, a carriage return right
// before it is dropped, the last line counts without one, and every line must be UTF-8.

#include <optional>
#include <string>

#include "core/stream.hpp"

namespace burrowlight {

class LineReader {
 public:
  explicit LineReader(Input& input) : input_(input) {}

  // The next line, or nothing at the end of input. A line that is not UTF-8 is the
  // error "stream did not contain valid UTF-8".
  Result<std::optional<std::string>> next();

 private:
  Input& input_;
  std::string buffer_;
  std::size_t scanned_ = 0;
  bool at_end_ = false;
};

// A command as the protocols compare it: Unicode white space trimmed at both ends,
// ASCII capitals lowered, everything else unchanged.
std::string normalize_command(std::string_view line);

}  // namespace burrowlight
