#pragma once
// The fuzz targets' own assertions: a broken property is reported on standard error and
// aborts, which libFuzzer records as a finding together with the input that caused it.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace burrowlight::fuzz {

inline void check(bool holds, std::string_view property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %.*s\n", static_cast<int>(property.size()),
               property.data());
  std::abort();
}

// An error shown to the player is one line of text with something in it.
inline void check_message(std::string_view message, std::string_view what) {
  check(!message.empty(), what);
  check(message.find('\n') == std::string_view::npos, what);
  check(message.find('\r') == std::string_view::npos, what);
}

}  // namespace burrowlight::fuzz
