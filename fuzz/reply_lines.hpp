#pragma once
// Checks what a headless mode wrote: every line must be one JSON object, since the
// program on the other end parses each reply line on its own.

#include <cstdint>
#include <optional>
#include <string_view>

namespace burrowlight::fuzz {

// Aborts unless `written` is a sequence of lines, each ending in a line feed and each
// holding one JSON object.
void check_reply_lines(std::string_view written);

// What the last observation among the replies said about the run: its turn and whether
// it was sealed. Nothing when no reply was an observation.
struct LastObservation {
  std::uint64_t turn;
  bool finished;
};
std::optional<LastObservation> last_observation(std::string_view written);

}  // namespace burrowlight::fuzz
