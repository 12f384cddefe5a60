#pragma once
// The command line of burrowlight-replay: which output it writes (the terminal, the
// trajectory or a recording), the recording's size, speed and view, and the save path.
// A plain function of the arguments, so every mistake is tested without a process.

#include <cstdint>
#include <string>
#include <vector>

#include "base/error.hpp"
#include "replay/recording.hpp"

namespace burrowlight::replay {

enum class ReplayOutput : std::uint8_t { Terminal, Trajectory, Recording };

struct ReplayArguments {
  bool help = false;
  ReplayOutput output = ReplayOutput::Terminal;
  RecordingSettings recording;
  std::vector<std::string> operands;
  bool version = false;

  bool operator==(const ReplayArguments&) const = default;
};

// Options without a value, options with one ("--size 120x40", "--speed 8") and paths,
// in any order; a later recording option overrides an earlier one. "--" ends the
// options, "-h" or "--help" asks for the usage and "-V" or "--version" for the version.
Result<ReplayArguments> scan_replay_arguments(const std::vector<std::string>& arguments);

}  // namespace burrowlight::replay
