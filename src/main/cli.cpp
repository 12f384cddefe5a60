#include "main/cli.hpp"

#include <unistd.h>

#include <charconv>

#include "app/expedition_loop.hpp"
#include "app/prototype_loop.hpp"
#include "app/wallet.hpp"
#include "base/arguments.hpp"
#include "base/overloaded.hpp"
#include "main/expedition_play.hpp"
#include "main/prototype_play.hpp"
#include "sys/fd_stream.hpp"
#include "sys/program.hpp"

namespace burrowlight::main {

namespace {

// The entries into the five modes. Each is a single call into the module that owns
// the mode.

Result<void> run_wallet(const std::string& page_path) { return app::wallet::serve(page_path); }

Result<void> run_headless_prototype() {
  sys::FdInput input(STDIN_FILENO);
  sys::FdOutput output(STDOUT_FILENO);
  return app::run_prototype(input, output);
}

Result<void> run_interactive_prototype() { return play_prototype(); }

Result<void> run_expedition(const ExpeditionOptions& options) {
  auto session = app::open_session(options.save_path, options.new_expedition, options.seed);
  if (!session) return std::unexpected(session.error());
  if (options.headless) {
    sys::FdInput input(STDIN_FILENO);
    sys::FdOutput output(STDOUT_FILENO);
    return app::run_expedition(std::move(*session), input, output);
  }
  return play_expedition(std::move(*session));
}

}  // namespace

const std::string_view help_text =
    "BurrowLight alpha\n"
    "\n"
    "Usage: burrowlight [--new] [--seed N] [--save PATH] [--headless]\n"
    "       burrowlight --prototype [--headless]\n"
    "\n"
    "  --expedition  Explicitly select the default saved three-floor expedition.\n"
    "  --prototype   Open the preserved authored goblin playground instead.\n"
    "  --new         Archive the previous save and create a new expedition.\n"
    "  --seed N      Create a repeatable practice world with a chosen u64 seed.\n"
    "  --save PATH   Use this save file instead of the user data directory.\n"
    "  --headless    Read line commands and emit JSON observations, without graphics.\n"
    "  --glyphs      Start with top-down colored glyphs (default).\n"
    "  --wallet PAGE Serve a local development wallet page, separately from alpha play.\n"
    "  --help        Show this help.\n"
    "  --version     Show the version.\n"
    "\n"
    "By default, play or resume a human delver's three-floor expedition (512 actions).\n"
    "Alpha play is offline and has no token payouts.\n"
    "Move: arrows / WASD / HJKL. E / Enter: interact. G: view. Z / X: zoom.\n"
    "Expedition: bump veins to dig; E uses a flask or portal; F finishes at the current "
    "score.\n"
    "Every accepted expedition action is saved. Q exits; run again to resume.\n"
    "Prototype: R restarts. Space pauses ambient motion. ?: help.\n";

namespace {

Result<std::string> value_after(const std::vector<std::string>& arguments, std::size_t& index,
                                std::string_view missing_message) {
  if (index + 1 >= arguments.size()) return std::unexpected(Error(std::string(missing_message)));
  return arguments[++index];
}

bool descriptor_is_terminal(int fd) { return ::isatty(fd) == 1; }

}  // namespace

std::optional<std::uint64_t> parse_seed(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  for (char character : text) {
    if (character < '0' || character > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// An argument that is not UTF-8 is never one of the option names, so it ends the scan
// as an unknown argument. Values of "--save" and "--wallet" are file paths and are kept
// byte for byte; a seed that is not UTF-8 is not a number.
Result<Command> scan(const std::vector<std::string>& arguments) {
  Options options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (argument == "-h" || argument == "--help") return ShowHelp{};
    if (argument == "-V" || argument == "--version") return ShowVersion{};
    if (argument == "--new") {
      options.new_expedition = true;
    } else if (argument == "--headless") {
      options.headless = true;
    } else if (argument == "--prototype") {
      options.prototype = true;
    } else if (argument == "--expedition") {
      options.expedition = true;
    } else if (argument == "--glyphs") {
      // Glyphs are already the starting view, so the option only needs to be accepted.
    } else if (argument == "--seed") {
      static constexpr std::string_view seed_message = "--seed requires an unsigned 64-bit integer";
      auto value = value_after(arguments, index, seed_message);
      if (!value) return std::unexpected(value.error());
      options.seed = parse_seed(*value);
      if (!options.seed) return std::unexpected(Error(std::string(seed_message)));
    } else if (argument == "--save") {
      auto value = value_after(arguments, index, "--save requires a path");
      if (!value) return std::unexpected(value.error());
      options.save_path = *value;
    } else if (argument == "--wallet") {
      auto value = value_after(arguments, index, "--wallet requires a public HTML page path");
      if (!value) return std::unexpected(value.error());
      options.page_path = *value;
    } else {
      return std::unexpected(
          Error("unknown argument " + quote_argument(argument) + "; use --help"));
    }
  }
  return options;
}

Result<Mode> choose_mode(const Options& options, const std::function<bool(int)>& is_terminal) {
  bool gameplay = options.expedition || options.prototype || options.headless ||
                  options.new_expedition || options.seed || options.save_path;
  if (options.page_path) {
    if (gameplay) {
      return std::unexpected(Error("--wallet runs separately from gameplay options"));
    }
    return WalletMode{*options.page_path};
  }
  bool expedition_choice =
      options.expedition || options.new_expedition || options.seed || options.save_path;
  if (options.prototype && expedition_choice) {
    return std::unexpected(
        Error("--prototype cannot be combined with --expedition, --new, --seed, or --save"));
  }
  if (options.prototype && options.headless) return HeadlessPrototypeMode{};
  // Checked before any save is opened, so that a piped run never creates one.
  if (!options.headless && (!is_terminal(STDIN_FILENO) || !is_terminal(STDOUT_FILENO))) {
    return std::unexpected(Error("interactive mode needs a terminal; use --headless for pipes"));
  }
  if (options.prototype) return InteractivePrototypeMode{};
  return ExpeditionOptions{options.save_path, options.new_expedition, options.seed,
                           options.headless};
}

namespace {

Result<void> dispatch(const Options& options) {
  auto mode = choose_mode(options, descriptor_is_terminal);
  if (!mode) return std::unexpected(mode.error());
  return std::visit(
      Overloaded{
          [](const WalletMode& wallet) { return run_wallet(wallet.page_path); },
          [](HeadlessPrototypeMode) { return run_headless_prototype(); },
          [](InteractivePrototypeMode) { return run_interactive_prototype(); },
          [](const ExpeditionOptions& expedition) { return run_expedition(expedition); },
      },
      *mode);
}

}  // namespace

Result<void> run(const std::vector<std::string>& arguments) {
  auto command = scan(arguments);
  if (!command) return std::unexpected(command.error());
  return std::visit(Overloaded{
                        [](ShowHelp) { return sys::print(help_text); },
                        [](ShowVersion) { return sys::print_version("BurrowLight"); },
                        [](const Options& options) { return dispatch(options); },
                    },
                    *command);
}

}  // namespace burrowlight::main
