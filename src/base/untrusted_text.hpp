#pragma once
// Text that came from outside (a command-line argument, a save, a path, the system's
// words) shown where it could do harm: in an error line on a terminal or inside JSON.
// Such text need not be UTF-8 and may hold control characters; each place has always
// shown them in its own form, so the form is a parameter of the one escaper.

#include <cstdint>
#include <string>
#include <string_view>

namespace burrowlight {

enum class Untrusted : std::uint8_t {
  // A command-line argument: tab, return, line feed, NUL, quote and backslash by their
  // short escapes, other control characters as \u{1b}, ill-formed bytes as \xFF.
  Argument,
  // The words of a save reader's error: control characters as \u{1b} with two digits,
  // ill-formed bytes as \x{ff}.
  SaveText,
  // A name or a string a save holds, quoted in a save reader's error: as SaveText, with
  // quote and backslash escaped too.
  SaveName,
  // The contents of a JSON string: JSON's escapes, the C1 controls and DEL as \u00xx,
  // and U+FFFD for each ill-formed byte.
  Json,
};

std::string escape_untrusted(std::string_view text, Untrusted form);

}  // namespace burrowlight
