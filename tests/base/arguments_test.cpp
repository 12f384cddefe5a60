// Arguments in messages and the command lines of the tools: quoting any bytes readably,
// and reading options, "--" and save paths.

#include "base/arguments.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace burrowlight {
namespace {

TEST(CommandLineQuote, EscapesControlCharactersAndInvalidBytes) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--foo", R"("--foo")"},
      {"", R"("")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"\t\r\n", R"("\t\r\n")"},
      {std::string("a\0b", 3), R"("a\0b")"},
      {"\x01\x1B\x1F", R"("\u{1}\u{1b}\u{1f}")"},
      {"\x7F", R"("\u{7f}")"},
      {"\xC2\x80\xC2\x85\xC2\x9F", R"("\u{80}\u{85}\u{9f}")"},
      // Printable and non-ASCII text stays as it is.
      {"it's ~ ok", R"("it's ~ ok")"},
      {"\xC2\xA0\xC3\xA9\xE2\x80\xA8\xF0\x9F\x92\x8E",
       "\"\xC2\xA0\xC3\xA9\xE2\x80\xA8\xF0\x9F\x92\x8E\""},
      // Bytes that are not UTF-8 are written one by one as two upper-case hex digits.
      {"\xFF", R"("\xFF")"},
      {"a\xC3", R"("a\xC3")"},
      {"\xC3(", R"("\xC3(")"},
      {"\xE2\x82"
       "A",
       R"("\xE2\x82A")"},
      {"\xC0\xAF", R"("\xC0\xAF")"},
      {"\xED\xA0\x80", R"("\xED\xA0\x80")"},
      {"\xF4\x90\x80\x80", R"("\xF4\x90\x80\x80")"},
      {"\x80\xC3\xA9\n", R"("\x80é\n")"},
  };
  for (const auto& [argument, expected] : cases) {
    EXPECT_EQ(quote_argument(argument), expected) << expected;
  }
}

TEST(ToolArguments, OptionsPathsHelpVersionAndMistakes) {
  constexpr std::array<std::string_view, 1> kKnown = {"--jsonl"};
  using Arguments = std::vector<std::string>;
  struct Case {
    Arguments arguments;
    Result<ToolArguments> scanned;
  };
  const auto unknown = [](std::string_view quoted) {
    return std::unexpected(Error("unknown option " + std::string(quoted) + "; use --help"));
  };
  ToolArguments help;
  help.help = true;
  ToolArguments version;
  version.version = true;
  const auto paths = [](std::vector<std::string> operands, std::vector<std::string> options = {}) {
    ToolArguments scanned;
    scanned.options = std::move(options);
    scanned.operands = std::move(operands);
    return scanned;
  };
  const std::vector<Case> cases = {
      {{}, ToolArguments{}},
      {{"a.json", "b.json"}, paths({"a.json", "b.json"})},
      {{"--jsonl", "a.json"}, paths({"a.json"}, {"--jsonl"})},
      {{"a.json", "--jsonl"}, paths({"a.json"}, {"--jsonl"})},
      // After "--" everything is a path, and "-" alone always is one.
      {{"--", "--jsonl", "-x"}, paths({"--jsonl", "-x"})},
      {{"-"}, paths({"-"})},
      {{"a.json", "--help", "--bogus"}, help},
      {{"-h"}, help},
      {{"--bogus", "--help"}, unknown(R"("--bogus")")},
      // The version stops the scan as the help does, whichever comes first.
      {{"a.json", "-V", "--bogus"}, version},
      {{"--version", "--help"}, version},
      {{"--help", "--version"}, help},
      {{"--bogus", "--version"}, unknown(R"("--bogus")")},
      {{"-v"}, unknown(R"("-v")")},
      {{"--JSONL"}, unknown(R"("--JSONL")")},
      {{"-\x1b\xff"}, unknown(R"("-\u{1b}\xFF")")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scan_tool_arguments(c.arguments, kKnown), c.scanned)
        << testing::PrintToString(c.arguments);
  }
}

}  // namespace
}  // namespace burrowlight
