#include "board/board.hpp"

#include <signal.h>

#include <array>
#include <atomic>
#include <charconv>
#include <filesystem>
#include <thread>

#include "app/save.hpp"
#include "board/player_bundle.hpp"
#include "board/store.hpp"
#include "base/arguments.hpp"
#include "sys/program.hpp"


namespace burrowlight::board {

namespace {

constexpr std::string_view kProgram = "burrowlight-board";

constexpr std::string_view kUsage =
    "Usage: burrowlight-board [--listen HOST:PORT] [--database PATH | --database postgresql://...]\n"
    "                         [--player DIR]\n"
    "\n"
    "Serves the board: players register, hand in finished runs, which are verified by\n"
    "replay, and read the boards (open, practice seed, daily). With no options it listens on\n"
    "127.0.0.1:8780 and keeps an SQLite database board.sqlite in the data directory beside\n"
    "the game's save ($XDG_DATA_HOME/burrowlight, or ~/.local/share/burrowlight). A\n"
    "postgresql:// address lets several board processes share one PostgreSQL database.\n"
    "Port 0 takes any free port; the start line says which.\n"
    "\n"
    "  --listen HOST:PORT    where to listen (127.0.0.1:8780 by default)\n"
    "  --database WHERE      an SQLite file, or a postgresql:// address\n"
    "  --player DIR          the asciinema web player's dist/bundle folder (by default\n"
    "                        /usr/local/lib/node_modules/asciinema-player/dist/bundle)\n"
    "  --clock-start TIME    start the clock at TIME (YYYY-MM-DDTHH:MM:SSZ), for rehearsals\n"
    "  -h, --help            print this help\n"
    "  -V, --version         print the version\n"
    "\n"
    "SIGINT or SIGTERM ends it cleanly: requests in flight are answered and committed\n"
    "first. docs/board.md describes every address. Exit status: 0 after a clean end, 1 for\n"
    "a failure, 2 for a mistake on the command line.\n";

int fail(const Error& error, int status) { return sys::report_failure(kProgram, error, status); }

Result<DatabaseAddress> default_database() {
  auto save_path = app::save::default_path();
  if (!save_path) return std::unexpected(save_path.error());
  const std::filesystem::path directory = std::filesystem::path(*save_path).parent_path();
  std::error_code failed;
  std::filesystem::create_directories(directory, failed);
  if (failed) {
    return std::unexpected(Error("cannot create " + directory.string() + ": " + failed.message() +
                                 " (os error " + std::to_string(failed.value()) + ")"));
  }
  return DatabaseAddress{(directory / "board.sqlite").string()};
}

// Ends the service on SIGINT or SIGTERM. The signals are blocked in every thread, so
// they wait here to be taken, and the service stops from an ordinary thread.
constexpr std::chrono::milliseconds kStartPause{1};

class SignalWatch {
 public:
  explicit SignalWatch(Service& service)
      : thread_([this, &service] {
          sigset_t signals = ending_signals();
          const timespec pause{0, 100'000'000};
          while (!done_) {
            if (sigtimedwait(&signals, nullptr, &pause) > 0) {
              // A signal that comes before the service runs stops it once it does.
              while (!service.running() && !done_) std::this_thread::sleep_for(kStartPause);
              service.stop();
              return;
            }
          }
        }) {}
  ~SignalWatch() {
    done_ = true;
    thread_.join();
  }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  static sigset_t ending_signals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
  }

 private:
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

}  // namespace

std::optional<Endpoint> endpoint_of(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  const std::string_view digits = text.substr(colon + 1);
  int port = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port < 0 ||
      port > 65535 || host.empty()) {
    return std::nullopt;
  }
  return Endpoint{std::string(host), port};
}

Result<BoardOptions> scan_board_arguments(const std::vector<std::string>& arguments) {
  static constexpr std::array<std::string_view, 0> kKnown = {};
  static constexpr std::array<ValuedOption, 4> kValued = {{
      {"--listen", "--listen requires HOST:PORT"},
      {"--database", "--database requires a path or a postgresql:// address"},
      {"--clock-start", "--clock-start requires a time YYYY-MM-DDTHH:MM:SSZ"},
      {"--player", "--player requires the web player's folder"},
  }};
  auto scanned = scan_tool_arguments(arguments, kKnown, kValued);
  if (!scanned) return std::unexpected(scanned.error());
  BoardOptions options;
  options.help = scanned->help;
  options.version = scanned->version;
  if (!scanned->operands.empty()) {
    return std::unexpected(Error("unexpected argument " + quote_argument(scanned->operands.front()) +
                                 "; use --help"));
  }
  for (const OptionValue& given : scanned->values) {
    if (given.option == "--listen") {
      auto endpoint = endpoint_of(given.value);
      if (!endpoint) {
        return std::unexpected(Error("--listen requires HOST:PORT, not " + quote_argument(given.value)));
      }
      options.listen = *endpoint;
    } else if (given.option == "--database") {
      if (given.value.empty()) return std::unexpected(Error(std::string(kValued[1].requirement)));
      options.database = DatabaseAddress{given.value};
    } else if (given.option == "--player") {
      if (given.value.empty()) return std::unexpected(Error(std::string(kValued[3].requirement)));
      options.player = given.value;
    } else {
      options.clock_start = parse_timestamp(given.value);
      if (!options.clock_start) return std::unexpected(Error(std::string(kValued[2].requirement)));
    }
  }
  return options;
}

int run(const std::vector<std::string>& arguments) {
  auto options = scan_board_arguments(arguments);
  if (!options) return fail(options.error(), sys::kCommandLineMistake);
  if (options->help || options->version) {
    auto printed = options->help ? sys::print(kUsage)
                                 : sys::print_version("burrowlight-board (BurrowLight)");
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }

  // Blocked before any thread starts, so that every thread inherits it.
  const sigset_t signals = SignalWatch::ending_signals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  auto database = options->database ? Result<DatabaseAddress>(*options->database) : default_database();
  if (!database) return fail(database.error(), sys::kFailed);
  const Clock clock(options->clock_start);
  auto store = Store::open(*database, clock);
  if (!store) return fail(store.error(), sys::kFailed);
  auto player = find_player_bundle(options->player);
  if (!player) return fail(player.error(), sys::kFailed);
  Service service(**store, clock, std::move(*player));
  auto port = service.bind(options->listen);
  if (!port) {
    return fail(Error("cannot listen on " + options->listen.host + ":" +
                      std::to_string(options->listen.port) + ": " + port.error().text()),
                sys::kFailed);
  }
  const std::string kind = database->is_postgres() ? "PostgreSQL" : "SQLite";
  auto started = sys::print("burrowlight-board listens on http://" + options->listen.host + ":" +
                            std::to_string(*port) + " with the " + kind + " database " +
                            database->shown() + "\n");
  if (!started) return fail(started.error(), sys::kFailed);
  {
    SignalWatch watch(service);
    service.serve();
  }
  return sys::kSucceeded;
}

}  // namespace burrowlight::board
