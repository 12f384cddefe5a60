#include "base/utf8.hpp"

#include <gtest/gtest.h>

namespace burrowlight {
namespace {

TEST(Utf8, ValidityFollowsTheEncodingRules) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ascii", true},
      {"\xC3\xA9", true},                 // é
      {"\xE2\x94\x80", true},             // ─
      {"\xF0\x9F\x92\x8E", true},         // a four-byte scalar
      {"\xC3", false},                    // cut short
      {"\x80", false},                    // a lone continuation byte
      {"\xC0\xAF", false},                // overlong
      {"\xED\xA0\x80", false},            // a surrogate
      {"\xF4\x90\x80\x80", false},        // past U+10FFFF
      {"\xFF", false},
      {std::string("a\0b", 3), true},     // NUL is a scalar like any other
  };
  for (const Case& test : cases) {
    EXPECT_EQ(utf8::valid(test.bytes), test.valid) << testing::PrintToString(test.bytes);
  }
}

TEST(Utf8, DecodeAndAppendRoundTrip) {
  std::string text = "a\xC3\xA9\xE2\x94\x80\xF0\x9F\x92\x8E";
  std::u32string scalars = utf8::decode(text);
  EXPECT_EQ(scalars, std::u32string(U"a\u00E9\u2500\U0001F48E"));
  std::string again;
  for (char32_t scalar : scalars) utf8::append(again, scalar);
  EXPECT_EQ(again, text);
  EXPECT_EQ(utf8::scalar_count(text), 4u);
  EXPECT_EQ(utf8::decode("\xFFx"), std::u32string(U"\uFFFDx"));
}

TEST(Utf8, TrimRemovesUnicodeWhiteSpaceOnly) {
  EXPECT_EQ(utf8::trim(" \t north \r"), "north");
  EXPECT_EQ(utf8::trim("\xC2\xA0north\xE3\x80\x80"), "north");  // U+00A0 and U+3000
  EXPECT_EQ(utf8::trim("\xE2\x80\x8Bnorth"), "\xE2\x80\x8Bnorth");  // U+200B is not white space
  EXPECT_EQ(utf8::trim("dig east"), "dig east");
  EXPECT_EQ(utf8::trim(" \x0B\x0C "), "");
  EXPECT_EQ(utf8::trim(""), "");
}

}  // namespace
}  // namespace burrowlight
