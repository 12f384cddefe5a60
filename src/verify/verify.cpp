#include "verify/verify.hpp"

#include <unistd.h>

#include <string_view>

#include "app/line_protocol.hpp"
#include "app/save.hpp"
#include "base/arguments.hpp"
#include "headless/json_writer.hpp"
#include "sys/fd_stream.hpp"
#include "sys/program.hpp"
#include "verify/report.hpp"

namespace burrowlight::verify {

namespace {

constexpr std::string_view kProgram = "burrowlight-verify";
constexpr std::string_view kVersionName = "burrowlight-verify (BurrowLight)";

constexpr std::string_view kUsage =
    "Usage: burrowlight-verify SAVE...\n"
    "\n"
    "Checks each saved expedition as the game checks a save it opens: the size, the JSON,\n"
    "the versions, the seed against the secret, the action limit, and every action\n"
    "replayed from the seed. Saves are only read; a game may be playing one meanwhile.\n"
    "\n"
    "Writes one JSON line per save, in the order given, with the keys depth, error,\n"
    "expedition_id, finished, path, practice, score, seed, turns and valid; error is the\n"
    "game's message for an invalid save, and whatever cannot be known is null.\n"
    "\n"
    "Exit status: 0 when every save is valid, 1 when any is not, 2 for a mistake on the\n"
    "command line. \"--\" ends the options, for a path that starts with \"-\".\n"
    "\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show the version\n";

int fail(const Error& error, int status) { return sys::report_failure(kProgram, error, status); }

}  // namespace

Result<bool> check_saves(std::span<const std::string> paths, Output& out) {
  headless::JsonWriter writer;
  bool all_valid = true;
  for (const std::string& path : paths) {
    const app::save::Inspection inspection = app::save::inspect_file(path);
    all_valid = all_valid && inspection.run.has_value();
    if (auto written = app::send_reply(out, report_line(writer, path, inspection)); !written) {
      return std::unexpected(written.error());
    }
  }
  return all_valid;
}

int run(const std::vector<std::string>& arguments) {
  auto command_line = scan_tool_arguments(arguments, {});
  if (!command_line) return fail(command_line.error(), sys::kCommandLineMistake);
  if (command_line->help) {
    auto printed = sys::print(kUsage);
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  if (command_line->version) {
    auto printed = sys::print_version(kVersionName);
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  if (command_line->operands.empty()) {
    return fail(Error("at least one save path is required; use --help"), sys::kCommandLineMistake);
  }

  sys::FdOutput out(STDOUT_FILENO);
  auto checked = check_saves(command_line->operands, out);
  if (!checked) return fail(checked.error(), sys::kFailed);
  return *checked ? sys::kSucceeded : kSomeInvalid;
}

}  // namespace burrowlight::verify
