#include "replay/replay.hpp"

#include <unistd.h>

#include <string_view>

#include "app/save.hpp"
#include "base/arguments.hpp"
#include "replay/cast.hpp"
#include "replay/replay_arguments.hpp"
#include "replay/timeline.hpp"
#include "replay/trajectory.hpp"
#include "replay/watch.hpp"
#include "sys/fd_stream.hpp"
#include "sys/program.hpp"

namespace burrowlight::replay {

namespace {

constexpr std::string_view kProgram = "burrowlight-replay";
constexpr std::string_view kVersionName = "burrowlight-replay (BurrowLight)";

constexpr std::string_view kUsage =
    "Usage: burrowlight-replay SAVE\n"
    "  or:  burrowlight-replay --jsonl SAVE\n"
    "  or:  burrowlight-replay --asciicast [--size COLUMNSxROWS] [--speed N] [--pixels] SAVE\n"
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
    "With --asciicast, writes instead a terminal recording to share (asciicast v2, which\n"
    "\"asciinema play\" and the asciinema web player play): the replay as it shows stepping\n"
    "through the save from step 0 to the end, at N steps a second (1, 2, 4, 8, 16 or 32;\n"
    "4 by default), holding the first and the last step for 2 seconds. --size sets the\n"
    "terminal it was drawn in, from 90x30 to 1000x1000 (120x40 by default); --pixels\n"
    "shows pixel sprites, --glyphs coloured glyphs (the default).\n"
    "\n"
    "The save is only read. Exit status: 0 on success, 1 for a save that cannot be\n"
    "replayed or any other failure, 2 for a mistake on the command line.\n"
    "\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show the version\n";

int fail(const Error& error, int status) { return sys::report_failure(kProgram, error, status); }

// The game's own messages about a save name it; a system error does not, so the path is
// put before it.
Error unreadable(const std::string& path, const Error& error) {
  if (!error.os_code()) return error;
  std::string text = "cannot read ";
  text += quote_argument(path);
  text += ": ";
  text += error.text();
  return Error(std::move(text));
}

bool on_terminal() { return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1; }

}  // namespace

int run(const std::vector<std::string>& arguments) {
  auto command_line = scan_replay_arguments(arguments);
  if (!command_line) return fail(command_line.error(), sys::kCommandLineMistake);
  if (command_line->help) {
    auto printed = sys::print(kUsage);
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  if (command_line->version) {
    auto printed = sys::print_version(kVersionName);
    return printed ? sys::kSucceeded : fail(printed.error(), sys::kFailed);
  }
  if (command_line->operands.size() != 1) {
    return fail(Error("exactly one save path is required; use --help"), sys::kCommandLineMistake);
  }
  const std::string& path = command_line->operands.front();
  const app::save::Inspection inspection = app::save::inspect_file(path);
  if (!inspection.run) return fail(unreadable(path, inspection.run.error()), sys::kFailed);
  const Timeline timeline = Timeline::of(inspection.run->record());

  if (command_line->output != ReplayOutput::Terminal) {
    sys::FdOutput out(STDOUT_FILENO);
    auto written = command_line->output == ReplayOutput::Trajectory
                       ? write_trajectory(timeline, out)
                       : write_cast(timeline, command_line->recording, out);
    return written ? sys::kSucceeded : fail(written.error(), sys::kFailed);
  }
  if (!on_terminal()) {
    return fail(Error("watching a replay needs a terminal; use --jsonl for pipes"), sys::kFailed);
  }
  auto watched = watch(timeline);
  return watched ? sys::kSucceeded : fail(watched.error(), sys::kFailed);
}

}  // namespace burrowlight::replay
