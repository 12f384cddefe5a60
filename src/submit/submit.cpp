#include "submit/submit.hpp"

#include <httplib.h>

#include <array>
#include <cstdlib>

#include "app/save.hpp"
#include "base/arguments.hpp"
#include "submit/answer.hpp"
#include "submit/token.hpp"
#include "sys/io.hpp"
#include "sys/program.hpp"

namespace burrowlight::submit {

namespace {

constexpr std::string_view kProgram = "burrowlight-submit";

constexpr std::string_view kUsage =
    "Usage: burrowlight-submit [--token-file PATH] URL SAVE\n"
    "\n"
    "Hands the finished run in SAVE to the board at URL (http://HOST[:PORT]) and prints\n"
    "its rank on each board it joined and the address of its page. The save is read,\n"
    "never changed; a run that is not sealed (F in the game) is not sent. The player's\n"
    "token comes from the file PATH, which must have mode 0600, or from the environment\n"
    "variable BURROWLIGHT_BOARD_TOKEN.\n"
    "\n"
    "  --token-file PATH    read the token from PATH (mode 0600)\n"
    "  -h, --help           print this help\n"
    "  -V, --version        print the version\n"
    "\n"
    "Exit status: 0 when the board took the run, 1 when it did not (a refusal, no\n"
    "answer, an unfinished or invalid save, no token), 2 for a mistake on the command\n"
    "line.\n";

// The board answers once the run is verified and committed; a long save replays quickly,
// so this only bounds a board that stopped answering.
constexpr time_t kConnectSeconds = 10;
constexpr time_t kAnswerSeconds = 60;

struct Request {
  bool help = false;
  bool version = false;
  std::string origin;
  std::string save_path;
  std::optional<std::string> token_file;
};

int fail(const Error& error, int status) { return sys::report_failure(kProgram, error, status); }

Result<Request> scan(const std::vector<std::string>& arguments) {
  static constexpr std::array<ValuedOption, 1> kValued = {{
      {"--token-file", "--token-file requires a path"},
  }};
  auto scanned = scan_tool_arguments(arguments, {}, kValued);
  if (!scanned) return std::unexpected(scanned.error());
  if (scanned->help || scanned->version) {
    return Request{scanned->help, scanned->version, "", "", std::nullopt};
  }
  if (scanned->operands.size() != 2) {
    return std::unexpected(Error("give the board's URL and one save; use --help"));
  }
  auto origin = board_origin(scanned->operands[0]);
  if (!origin) return std::unexpected(origin.error());
  Request request{false, false, *origin, scanned->operands[1], std::nullopt};
  for (const OptionValue& given : scanned->values) request.token_file = given.value;
  return request;
}

// The save's bytes, exactly as they are on the disk, once they are a sealed run.
Result<std::string> finished_save(const std::string& path) {
  auto bytes = sys::read_file_start(path, app::save::kSizeLimit, Error(path + " is not a regular file"));
  if (!bytes) return std::unexpected(Error("cannot read " + path + ": " + bytes.error().text()));
  if (bytes->size() > app::save::kSizeLimit) {
    return std::unexpected(Error(path + " is larger than a save can be (64 KiB)"));
  }
  const app::save::Inspection inspection = app::save::inspect(*bytes);
  if (!inspection.run) return std::unexpected(Error(path + ": " + inspection.run.error().text()));
  if (!inspection.record || !inspection.record->finished) {
    return std::unexpected(Error(path + " is not finished: only a sealed run joins a board "
                                        "(press F in the game to seal it)"));
  }
  return std::move(*bytes);
}

Result<std::string> hand_in(const Request& request, const std::string& token,
                            const std::string& save) {
  httplib::Client client(request.origin);
  client.set_connection_timeout(kConnectSeconds, 0);
  client.set_read_timeout(kAnswerSeconds, 0);
  client.set_write_timeout(kAnswerSeconds, 0);
  const httplib::Headers headers = {{"Authorization", "Bearer " + token}};
  const httplib::Result answer = client.Post("/api/runs", headers, save, "application/json");
  if (!answer) {
    return std::unexpected(Error("cannot reach the board at " + request.origin + ": " +
                                 httplib::to_string(answer.error())));
  }
  if (answer->status != 201) return std::unexpected(refusal_error(answer->status, answer->body));
  return accepted_text(answer->body, request.origin);
}

}  // namespace

int run(const std::vector<std::string>& arguments) {
  auto request = scan(arguments);
  if (!request) return fail(request.error(), sys::kCommandLineMistake);
  if (request->help || request->version) {
    auto printed = request->help ? sys::print(kUsage)
                                 : sys::print_version("burrowlight-submit (BurrowLight)");
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  auto save = finished_save(request->save_path);
  if (!save) return fail(save.error(), sys::kFailed);
  auto token = request->token_file ? token_from_file(*request->token_file)
                                   : token_from_environment(std::getenv(kTokenVariable.data()));
  if (!token) return fail(token.error(), sys::kFailed);
  auto answer = hand_in(*request, *token, *save);
  if (!answer) return fail(answer.error(), sys::kFailed);
  auto printed = sys::print(*answer);
  return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
}

}  // namespace burrowlight::submit
