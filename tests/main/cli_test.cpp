#include "main/cli.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace burrowlight::main {
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

TEST(CommandLineScan, RejectsWithTheCommandLineMessages) {
  const std::vector<std::pair<Arguments, std::string>> cases = {
      {{"--foo"}, "unknown argument \"--foo\"; use --help"},
      {{"--"}, "unknown argument \"--\"; use --help"},
      {{"-v"}, "unknown argument \"-v\"; use --help"},
      {{"-help"}, "unknown argument \"-help\"; use --help"},
      {{"--HELP"}, "unknown argument \"--HELP\"; use --help"},
      {{"--save=x"}, "unknown argument \"--save=x\"; use --help"},
      {{"-hV"}, "unknown argument \"-hV\"; use --help"},
      {{""}, "unknown argument \"\"; use --help"},
      {{"--new", "--bogus", "--help"}, "unknown argument \"--bogus\"; use --help"},
      {{"--new", "--n\xC3\xA9w\xFF\x1B"}, R"(unknown argument "--néw\xFF\u{1b}"; use --help)"},
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
    if (seed) {
      EXPECT_EQ(scan({"--seed", text}), Command(Options{.seed = seed})) << text;
    } else {
      EXPECT_EQ(scan_error({"--seed", text}), seed_message) << text;
    }
  }
}

TEST(CommandLineScan, FillsOptionsWithTheLastValueWinningAndStopsAtHelpOrVersion) {
  const std::vector<std::pair<Arguments, Command>> cases = {
      {{}, Options{}},
      {{"--glyphs"}, Options{}},
      {{"--new", "--new", "--headless", "--prototype", "--expedition"},
       Options{.new_expedition = true, .headless = true, .prototype = true, .expedition = true}},
      {{"--save", "a", "--save", "b"}, Options{.save_path = "b"}},
      {{"--seed", "1", "--seed", "+2"}, Options{.seed = 2}},
      {{"--wallet", "a.html", "--wallet", "b.html", "--glyphs"}, Options{.page_path = "b.html"}},
      // A value option takes the very next argument, whatever it looks like.
      {{"--save", "--new"}, Options{.save_path = "--new"}},
      {{"--save", "--headless"}, Options{.save_path = "--headless"}},
      {{"--save", "--help"}, Options{.save_path = "--help"}},
      {{"--wallet", "--seed"}, Options{.page_path = "--seed"}},
      {{"--save", ""}, Options{.save_path = ""}},
      {{"--save", "-"}, Options{.save_path = "-"}},
      // Paths are bytes: neither UTF-8 nor the absence of control characters is needed.
      {{"--save", "dir/\xFF\xFE\n.json"}, Options{.save_path = "dir/\xFF\xFE\n.json"}},
      // The first help or version ends the scan, whatever follows.
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
    EXPECT_EQ(scan(arguments), command) << testing::PrintToString(arguments);
  }
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

Result<Mode> fails(std::string_view message) {
  return std::unexpected(Error(std::string(message)));
}

std::string text_of(const Result<Mode>& mode) { return mode ? "(a mode)" : mode.error().text(); }

TEST(CommandLineMode, ChecksRunInOrderAndTheFirstDecides) {
  const std::vector<std::pair<Options, Result<Mode>>> cases = {
      {{.page_path = "p.html"}, WalletMode{"p.html"}},
      {{.headless = true, .page_path = "p.html"}, fails(wallet_message)},
      {{.new_expedition = true, .page_path = "p"}, fails(wallet_message)},
      {{.prototype = true, .page_path = "p"}, fails(wallet_message)},
      {{.expedition = true, .page_path = "p"}, fails(wallet_message)},
      {{.seed = 0, .page_path = "p"}, fails(wallet_message)},
      {{.save_path = "", .page_path = "p"}, fails(wallet_message)},
      {{.prototype = true, .expedition = true}, fails(prototype_message)},
      {{.new_expedition = true, .headless = true, .prototype = true}, fails(prototype_message)},
      {{.prototype = true, .seed = 5}, fails(prototype_message)},
      {{.prototype = true, .save_path = "s"}, fails(prototype_message)},
      {{.headless = true, .prototype = true}, HeadlessPrototypeMode{}},
      {{.prototype = true}, InteractivePrototypeMode{}},
      {{}, ExpeditionOptions{}},
      {{.expedition = true}, ExpeditionOptions{}},
      {{.new_expedition = true, .headless = true, .expedition = true, .seed = 9, .save_path = "s"},
       ExpeditionOptions{.save_path = "s", .new_expedition = true, .seed = 9, .headless = true}},
  };
  for (const auto& [options, outcome] : cases) {
    FakeTerminals terminals{true, true, {}};
    const auto mode = choose_mode(options, terminals.probe());
    EXPECT_EQ(mode, outcome) << text_of(mode);
  }
}

TEST(CommandLineMode, InteractiveModesNeedTerminalsOnBothEnds) {
  struct Case {
    Options options;
    bool standard_input;
    bool standard_output;
    std::vector<int> asked;
    Result<Mode> outcome;
  };
  const std::vector<Case> cases = {
      {{}, false, true, {0}, fails(terminal_message)},
      {{}, true, false, {0, 1}, fails(terminal_message)},
      {{}, false, false, {0}, fails(terminal_message)},
      {{}, true, true, {0, 1}, ExpeditionOptions{}},
      {{.prototype = true}, true, false, {0, 1}, fails(terminal_message)},
      {{.new_expedition = true, .seed = 3}, false, true, {0}, fails(terminal_message)},
      // Headless runs and the page server never look at the descriptors.
      {{.headless = true}, false, false, {}, ExpeditionOptions{.headless = true}},
      {{.headless = true, .prototype = true}, false, false, {}, HeadlessPrototypeMode{}},
      {{.page_path = "p"}, false, false, {}, WalletMode{"p"}},
      // A conflict is reported before the terminal is looked at.
      {{.new_expedition = true, .prototype = true}, false, false, {}, fails(prototype_message)},
  };
  for (const auto& [options, standard_input, standard_output, asked, outcome] : cases) {
    FakeTerminals terminals{standard_input, standard_output, {}};
    const auto mode = choose_mode(options, terminals.probe());
    EXPECT_EQ(terminals.asked, asked);
    EXPECT_EQ(mode, outcome) << text_of(mode);
  }
}

}  // namespace
}  // namespace burrowlight::main
