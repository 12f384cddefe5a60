#include "replay/replay.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "app/save.hpp"
#include "core/arguments.hpp"
#include "replay/timeline.hpp"
#include "replay/trajectory.hpp"
#include "replay/watch.hpp"
#include "sys/fd_stream.hpp"
#include "sys/program.hpp"

namespace burrowlight::replay {

namespace {

constexpr std::string_view kProgram = "burrowlight-replay";
constexpr std::string_view kJsonl = "--jsonl";
constexpr std::array<std::string_view, 1> kOptions = {kJsonl};

constexpr std::string_view kUsage =
    "Usage: burrowlight-replay SAVE\n"
    "       burrowlight-replay --jsonl SAVE\n"
    "\n"
    "Watches a saved expedition in the terminal, step by step, as the game drew it: step 0\n"
    "is the run before its first action, and a sealed save ends with the seal. Right, L\n"
    "or . steps forward, Left, H or , steps back, Home and End jump to the first and the\n"
    "last step, Space plays and pauses, + and - set the speed (1 to 32 steps a second),\n"
    "G, Z and X change the view as in the game, ? shows the help, Q or Escape quits.\n"
    "\n"
    "With --jsonl, writes instead the lines the headless expedition would have written for\n"
    "the save's actions typed into a fresh session of the same record: the first\n"
    "observation, one reply per action, and for a sealed save the reply to \"finish\".\n"
    "\n"
    "The save is only read. Exit status: 0 on success, 1 for a save that cannot be\n"
    "replayed or any other failure, 2 for a mistake on the command line.\n";

int fail(const Error& error, int status) { return sys::report_failure(kProgram, error, status); }

bool on_terminal() { return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1; }

}  // namespace

int run(const std::vector<std::string>& arguments) {
  auto command_line = scan_tool_arguments(arguments, kOptions);
  if (!command_line) return fail(command_line.error(), sys::kCommandLineMistake);
  if (command_line->help) {
    auto printed = sys::print(kUsage);
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  if (command_line->operands.size() != 1) {
    return fail(Error("exactly one save path is required; use --help"), sys::kCommandLineMistake);
  }
  const bool jsonl =
      std::ranges::find(command_line->options, kJsonl) != command_line->options.end();

  const save::Inspection inspection = save::inspect_file(command_line->operands.front());
  if (!inspection.run) return fail(inspection.run.error(), sys::kFailed);
  const Timeline timeline = Timeline::of(inspection.run->record());

  if (jsonl) {
    sys::FdOutput out(STDOUT_FILENO);
    auto written = write_trajectory(timeline, out);
    return written ? sys::kSucceeded : fail(written.error(), sys::kFailed);
  }
  if (!on_terminal()) {
    return fail(Error("watching a replay needs a terminal; use --jsonl for pipes"), sys::kFailed);
  }
  auto watched = watch(timeline);
  return watched ? sys::kSucceeded : fail(watched.error(), sys::kFailed);
}

}  // namespace burrowlight::replay
