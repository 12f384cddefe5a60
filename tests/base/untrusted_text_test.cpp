#include "base/untrusted_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace burrowlight {
namespace {

// One text with everything the forms disagree on: a tab, a short control, escape, a
// quote, a backslash, DEL, a C1 control, a character to keep and an ill-formed byte.
const std::string kHostile = "a\t\x01\x1b\"\\\x7f\xc2\x85\xc3\xa9\xff";

TEST(UntrustedText, EachPlaceKeepsItsOwnForm) {
  struct Case {
    Untrusted form;
    std::string shown;
  };
  const Case cases[] = {
      {Untrusted::Argument, "a\\t\\u{1}\\u{1b}\\\"\\\\\\u{7f}\\u{85}\xc3\xa9\\xFF"},
      {Untrusted::SaveText, "a\\u{09}\\u{01}\\u{1b}\"\\\\u{7f}\\u{85}\xc3\xa9\\x{ff}"},
      {Untrusted::SaveName, "a\\u{09}\\u{01}\\u{1b}\\\"\\\\\\u{7f}\\u{85}\xc3\xa9\\x{ff}"},
      {Untrusted::Json, "a\\t\\u0001\\u001b\\\"\\\\\\u007f\\u0085\xc3\xa9\xef\xbf\xbd"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(escape_untrusted(kHostile, test.form), test.shown)
        << static_cast<int>(test.form);
  }
}

}  // namespace
}  // namespace burrowlight
