#include "app/cli.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace burrowlight {
namespace {

using Arguments = std::vector<std::string>;

constexpr std::string_view seed_message = "--seed requires an unsigned 64-bit integer";
constexpr std::string_view wallet_message = "--wallet runs separately from gameplay options";
constexpr std::string_view prototype_message =
    "--prototype cannot be combined with --expedition, --new, --seed, or --save";
constexpr std::string_view terminal_message =
    "interactive mode needs a terminal; use --headless for pipes";

std::string scan_error(const Arguments& arguments) {
  auto command = scan(arguments);
  return command ? "(no error)" : command.error().text();
}

Options scanned_options(const Arguments& arguments) {
  auto command = scan(arguments);
  EXPECT_TRUE(command.has_value()) << command.error().text();
  EXPECT_TRUE(std::holds_alternative<Options>(*command));
  return std::get<Options>(*command);
}

TEST(CommandLineScan, RejectsWithTheCommandLineMessages) {
  struct Case {
    Arguments arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--foo"}, "unknown argument \"--foo\"; use --help"},
      {{"--"}, "unknown argument \"--\"; use --help"},
      {{"-v"}, "unknown argument \"-v\"; use --help"},
      {{"-help"}, "unknown argument \"-help\"; use --help"},
      {{"--HELP"}, "unknown argument \"--HELP\"; use --help"},
      {{"--save=x"}, "unknown argument \"--save=x\"; use --help"},
      {{"-hV"}, "unknown argument \"-hV\"; use --help"},
      {{""}, "unknown argument \"\"; use --help"},
      {{"--new", "--bogus", "--help"}, "unknown argument \"--bogus\"; use --help"},
      {{"--seed"}, std::string(seed_message)},
      {{"--new", "--seed"}, std::string(seed_message)},
      {{"--save"}, "--save requires a path"},
      {{"--wallet"}, "--wallet requires a public HTML page path"},
      {{"--seed", "1", "--seed", "x"}, std::string(seed_message)},
  };
  for (const auto& [arguments, message] : cases) {
    EXPECT_EQ(scan_error(arguments), message) << testing::PrintToString(arguments);
  }
}

TEST(CommandLineScan, SeedGrammar) {
  struct Case {
    std::string text;
    std::optional<std::uint64_t> seed;
  };
  const std::vector<Case> cases = {
      {"42", 42},
      {"+42", 42},
      {"0", 0},
      {"+0", 0},
      {"007", 7},
      {"00000000000000000000000000018446744073709551615", 18446744073709551615u},
      {"18446744073709551615", 18446744073709551615u},
      {"+18446744073709551615", 18446744073709551615u},
      {"18446744073709551616", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"-1", std::nullopt},
      {"-0", std::nullopt},
      {"1e3", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"++1", std::nullopt},
      {"+-1", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"0x10", std::nullopt},
      {"1_000", std::nullopt},
      {"\xD9\xA3", std::nullopt},  // ARABIC-INDIC DIGIT THREE is not an ASCII digit.
      {"4\xFF", std::nullopt},
  };
  for (const auto& [text, seed] : cases) {
    EXPECT_EQ(parse_seed(text), seed) << text;
    auto command = scan({"--seed", text});
    if (seed) {
      ASSERT_TRUE(command.has_value()) << text;
      EXPECT_EQ(std::get<Options>(*command).seed, seed) << text;
    } else {
      ASSERT_FALSE(command.has_value()) << text;
      EXPECT_EQ(command.error().text(), seed_message) << text;
    }
  }
}

TEST(CommandLineScan, FillsOptionsWithTheLastValueWinning) {
  struct Case {
    Arguments arguments;
    Options options;
  };
  const std::vector<Case> cases = {
      {{}, {}},
      {{"--glyphs"}, {}},
      {{"--new", "--new", "--headless", "--prototype", "--expedition"},
       {.new_expedition = true, .headless = true, .prototype = true, .expedition = true}},
      {{"--save", "a", "--save", "b"}, {.save_path = "b"}},
      {{"--seed", "1", "--seed", "+2"}, {.seed = 2}},
      {{"--wallet", "a.html", "--wallet", "b.html", "--glyphs"}, {.page_path = "b.html"}},
      // A value option takes the very next argument, whatever it looks like.
      {{"--save", "--new"}, {.save_path = "--new"}},
      {{"--save", "--headless"}, {.save_path = "--headless"}},
      {{"--save", "--help"}, {.save_path = "--help"}},
      {{"--wallet", "--seed"}, {.page_path = "--seed"}},
      {{"--save", ""}, {.save_path = ""}},
      {{"--save", "-"}, {.save_path = "-"}},
      // Paths are bytes: neither UTF-8 nor the absence of control characters is needed.
      {{"--save", "dir/\xFF\xFE\n.json"}, {.save_path = "dir/\xFF\xFE\n.json"}},
  };
  for (const auto& [arguments, options] : cases) {
    EXPECT_EQ(scanned_options(arguments), options) << testing::PrintToString(arguments);
  }
}

TEST(CommandLineScan, HelpAndVersionStopTheScan) {
  struct Case {
    Arguments arguments;
    Command command;
  };
  const std::vector<Case> cases = {
      {{"-h"}, ShowHelp{}},
      {{"--help"}, ShowHelp{}},
      {{"-V"}, ShowVersion{}},
      {{"--version"}, ShowVersion{}},
      {{"--prototype", "--new", "--help"}, ShowHelp{}},
      {{"--help", "--bogus"}, ShowHelp{}},
      {{"--help", "--seed"}, ShowHelp{}},
      {{"--version", "--help"}, ShowVersion{}},
      {{"--help", "--version"}, ShowHelp{}},
      {{"--wallet", "x", "--headless", "-V"}, ShowVersion{}},
  };
  for (const auto& [arguments, command] : cases) {
    auto scanned = scan(arguments);
    ASSERT_TRUE(scanned.has_value()) << testing::PrintToString(arguments);
    EXPECT_EQ(*scanned, command) << testing::PrintToString(arguments);
  }
}

TEST(CommandLineQuote, EscapesControlCharactersAndInvalidBytes) {
  struct Case {
    std::string argument;
    std::string expected;
  };
  const std::vector<Case> cases = {
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

TEST(CommandLineScan, UnknownArgumentsThatAreNotUtf8AreQuotedByteForByte) {
  EXPECT_EQ(scan_error({"--new", "--n\xC3\xA9w\xFF\x1B"}),
            R"(unknown argument "--néw\xFF\u{1b}"; use --help)");
}

// Stands in for isatty: answers for descriptors 0 and 1 and remembers what was asked.
struct FakeTerminals {
  bool standard_input;
  bool standard_output;
  std::vector<int> asked;

  std::function<bool(int)> probe() {
    return [this](int fd) {
      asked.push_back(fd);
      return fd == 0 ? standard_input : standard_output;
    };
  }
};

TEST(CommandLineMode, ChecksRunInOrderAndTheFirstDecides) {
  struct Case {
    Options options;
    std::variant<Mode, std::string> outcome;
  };
  const std::vector<Case> cases = {
      {{.page_path = "p.html"}, Mode(WalletMode{"p.html"})},
      {{.headless = true, .page_path = "p.html"}, std::string(wallet_message)},
      {{.new_expedition = true, .page_path = "p"}, std::string(wallet_message)},
      {{.prototype = true, .page_path = "p"}, std::string(wallet_message)},
      {{.expedition = true, .page_path = "p"}, std::string(wallet_message)},
      {{.seed = 0, .page_path = "p"}, std::string(wallet_message)},
      {{.save_path = "", .page_path = "p"}, std::string(wallet_message)},
      {{.prototype = true, .expedition = true}, std::string(prototype_message)},
      {{.new_expedition = true, .headless = true, .prototype = true},
       std::string(prototype_message)},
      {{.prototype = true, .seed = 5}, std::string(prototype_message)},
      {{.prototype = true, .save_path = "s"}, std::string(prototype_message)},
      {{.headless = true, .prototype = true}, Mode(HeadlessPrototypeMode{})},
      {{.prototype = true}, Mode(InteractivePrototypeMode{})},
      {{}, Mode(ExpeditionOptions{})},
      {{.expedition = true}, Mode(ExpeditionOptions{})},
      {{.new_expedition = true, .headless = true, .expedition = true, .seed = 9, .save_path = "s"},
       Mode(ExpeditionOptions{
           .save_path = "s", .new_expedition = true, .seed = 9, .headless = true})},
  };
  for (const auto& [options, outcome] : cases) {
    FakeTerminals terminals{true, true, {}};
    auto mode = choose_mode(options, terminals.probe());
    if (std::holds_alternative<std::string>(outcome)) {
      ASSERT_FALSE(mode.has_value());
      EXPECT_EQ(mode.error().text(), std::get<std::string>(outcome));
    } else {
      ASSERT_TRUE(mode.has_value()) << mode.error().text();
      EXPECT_EQ(*mode, std::get<Mode>(outcome));
    }
  }
}

TEST(CommandLineMode, InteractiveModesNeedTerminalsOnBothEnds) {
  struct Case {
    Options options;
    bool standard_input;
    bool standard_output;
    std::vector<int> asked;
    bool refused;
  };
  const std::vector<Case> cases = {
      {{}, false, true, {0}, true},
      {{}, true, false, {0, 1}, true},
      {{}, false, false, {0}, true},
      {{}, true, true, {0, 1}, false},
      {{.prototype = true}, true, false, {0, 1}, true},
      {{.new_expedition = true, .seed = 3}, false, true, {0}, true},
      // Headless runs and the page server never look at the descriptors.
      {{.headless = true}, false, false, {}, false},
      {{.headless = true, .prototype = true}, false, false, {}, false},
      {{.page_path = "p"}, false, false, {}, false},
      // A conflict is reported before the terminal is looked at.
      {{.new_expedition = true, .prototype = true}, false, false, {}, true},
  };
  for (const auto& [options, standard_input, standard_output, asked, refused] : cases) {
    FakeTerminals terminals{standard_input, standard_output, {}};
    auto mode = choose_mode(options, terminals.probe());
    EXPECT_EQ(terminals.asked, asked);
    EXPECT_EQ(!mode.has_value(), refused);
    if (!mode && !asked.empty()) {
      EXPECT_EQ(mode.error().text(), terminal_message);
    }
  }
}

}  // namespace
}  // namespace burrowlight
