#pragma once
// What both games' single environments say and do alike in Python: the help of the
// methods they share, and their reply line.

#include <string>
#include <string_view>

namespace burrowlight::python {

// What `help()` shows; the first lines give the signatures that `inspect` reads.
inline constexpr const char* kReplyDoc =
    "The line, without its line feed, that the headless mode would have written for the "
    "last reset or step.";
inline constexpr const char* kCloneDoc =
    "clone($self, /)\n--\n\n"
    "A copy of the whole state, for search: restore() puts it back. It pickles.";
inline constexpr const char* kRestoreDoc =
    "restore($self, /, state)\n--\n\n"
    "Puts back a state that clone() made, of an environment of the same game.";

inline std::string without_line_feed(std::string_view line) {
  return std::string(line.substr(0, line.size() - 1));
}

}  // namespace burrowlight::python
