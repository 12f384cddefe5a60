// The writer's strings and integers are the bytes the JSON library writes for the same
// values: every escaped byte, UTF-8 passed through, and integers at their limits.

#include "headless/json_writer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "base/utf8.hpp"

namespace burrowlight::headless {
namespace {

TEST(JsonWriter, StringsAreEscapedAsTheLibraryEscapesThem) {
  std::vector<std::string> texts = {"",
                                    "plain words",
                                    "quote \" and backslash \\",
                                    "Moss, your fellow goblin",
                                    "\xC3\xA9 \xE2\x80\x83 \xF0\x9F\x92\x8E",  // é, em space, gem
                                    "line\nfeed\ttab\rreturn\bback\fform",
                                    "\x7F delete stays"};
  // Every ASCII byte on its own, and in the middle of a run.
  for (int byte = 0; byte < 0x80; ++byte) {
    texts.emplace_back(1, static_cast<char>(byte));
    texts.push_back("a" + std::string(1, static_cast<char>(byte)) + "b");
  }
  for (const std::string& text : texts) {
    JsonWriter writer;
    writer.string(text);
    EXPECT_EQ(writer.text(), nlohmann::json(text).dump()) << nlohmann::json(text).dump();
  }
}

// The text a JSON reader gets back: the bytes decoded as the screen decodes them.
std::string repaired(std::string_view bytes) {
  std::string text;
  for (char32_t scalar : utf8::decode(bytes)) utf8::append(text, scalar);
  return text;
}

TEST(JsonWriter, ForeignTextBecomesValidUtf8WithEveryControlCharacterEscaped) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"saves/run.json", R"("saves/run.json")"},
      {"caf\xC3\xA9 \xF0\x9F\x92\x8E", "\"caf\xC3\xA9 \xF0\x9F\x92\x8E\""},
      {"a\"b\\c\n\x1b", R"("a\"b\\c\n\u001b")"},
      {"\x7F\xC2\x80\xC2\x9F\xC2\xA0", "\"\\u007f\\u0080\\u009f\xC2\xA0\""},
      // One replacement character per ill-formed byte, as the screen decodes them.
      {"\xFF", "\"\xEF\xBF\xBD\""},
      {"a\xC3(", "\"a\xEF\xBF\xBD(\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& [bytes, expected] : cases) {
    JsonWriter writer;
    writer.foreign_string(bytes);
    EXPECT_EQ(writer.text(), expected);
    EXPECT_EQ(nlohmann::json::parse(writer.text()).get<std::string>(), repaired(bytes));
  }
}

TEST(JsonWriter, IntegersArePlainDecimals) {
  JsonWriter writer;
  const auto check = [&](auto value) {
    writer.clear();
    writer.integer(value);
    EXPECT_EQ(writer.text(), nlohmann::json(value).dump());
  };
  for (std::uint64_t value : {0ULL, 9ULL, 10ULL, 99ULL, 512ULL, 18446744073709551615ULL}) {
    check(value);
  }
  for (std::int64_t value :
       {std::int64_t{-1}, std::int64_t{-10}, std::numeric_limits<std::int64_t>::min(),
        std::numeric_limits<std::int64_t>::max()}) {
    check(value);
  }
  check(std::int32_t{-2147483647 - 1});
}

TEST(JsonWriter, KeepsItsMemoryAcrossTexts) {
  JsonWriter writer;
  writer.raw(std::string(100000, 'x'));
  writer.clear();
  writer.raw("{\"ok\":");
  writer.boolean(true);
  writer.raw('}');
  EXPECT_EQ(writer.text(), "{\"ok\":true}");
}

}  // namespace
}  // namespace burrowlight::headless
