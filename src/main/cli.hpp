#pragma once
// The process entry's logic: scan the arguments, check their combination and run
// exactly one of the five modes. Scanning and the choice of mode are plain functions
// of their inputs, so the whole command line can be tested without a process.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/error.hpp"

namespace burrowlight::main {

// Every option value the scan can fill; all start empty or false.
struct Options {
  bool new_expedition = false;
  bool headless = false;
  bool prototype = false;
  bool expedition = false;
  std::optional<std::uint64_t> seed = std::nullopt;
  std::optional<std::string> save_path = std::nullopt;
  std::optional<std::string> page_path = std::nullopt;

  bool operator==(const Options&) const = default;
};

struct ShowHelp {
  bool operator==(const ShowHelp&) const = default;
};

struct ShowVersion {
  bool operator==(const ShowVersion&) const = default;
};

// What a complete scan asks for: one of the two texts, or a run with these options.
using Command = std::variant<ShowHelp, ShowVersion, Options>;

// What the expedition modes need to open their save and pick their loop.
struct ExpeditionOptions {
  std::optional<std::string> save_path = std::nullopt;
  bool new_expedition = false;
  std::optional<std::uint64_t> seed = std::nullopt;
  bool headless = false;

  bool operator==(const ExpeditionOptions&) const = default;
};

struct WalletMode {
  std::string page_path;
  bool operator==(const WalletMode&) const = default;
};

struct HeadlessPrototypeMode {
  bool operator==(const HeadlessPrototypeMode&) const = default;
};

struct InteractivePrototypeMode {
  bool operator==(const InteractivePrototypeMode&) const = default;
};

// The one mode a valid combination of options selects.
using Mode =
    std::variant<WalletMode, HeadlessPrototypeMode, InteractivePrototypeMode, ExpeditionOptions>;

extern const std::string_view help_text;

// Reads the arguments from left to right, stopping at the first help, version or
// unknown argument.
Result<Command> scan(const std::vector<std::string>& arguments);

// An unsigned 64-bit decimal: an optional single "+", then ASCII digits only.
std::optional<std::uint64_t> parse_seed(std::string_view text);

// Checks the combination of options in a fixed order. `is_terminal` is asked about
// descriptor 0 and then descriptor 1, and only when no "--headless" was given and
// the options have passed the wallet and prototype checks.
Result<Mode> choose_mode(const Options& options, const std::function<bool(int)>& is_terminal);

Result<void> run(const std::vector<std::string>& arguments);

}  // namespace burrowlight::main
