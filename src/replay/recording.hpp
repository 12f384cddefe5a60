#pragma once
// The interactive replay as timed frames, for a recording to share: the terminal bytes a
// person would have seen who opened the replay in a terminal of a chosen size, set its
// speed and view, and pressed the forward key once a period from the first action to
// the end. The first and the last step are held a while; the animation goes on at every
// frame, so floating texts rise and fade as they did in the game.

#include <cstdint>
#include <functional>
#include <string_view>

#include "base/error.hpp"
#include "replay/player.hpp"
#include "replay/timeline.hpp"
#include "terminal/terminal_size.hpp"

namespace burrowlight::replay {

// Long enough for the last step's floating text to rise and fade before the end.
inline constexpr unsigned kHoldSeconds = 2;

struct RecordingSettings {
  // At least the game's smallest screen.
  terminal::TerminalSize size{120, 40};
  // Steps a second: one of the replay's speeds, all powers of two, so that every period
  // is a whole number of microseconds and the animation's clock adds up exactly.
  unsigned speed = kStartingSpeed;
  // Pixel sprites instead of coloured glyphs.
  bool pixels = false;

  bool operator==(const RecordingSettings&) const = default;
};

struct TimedFrame {
  // Since the recording's start.
  std::uint64_t microseconds;
  // What brings a terminal from the frame before to this one; the first frame's bytes
  // start from any screen, and the last frame's end by giving the terminal back: the
  // attributes reset, the cursor shown and on the line below the frame.
  std::string_view bytes;
};

using FrameSink = std::function<Result<void>(const TimedFrame&)>;

// Hands each frame that changes the screen to `take`, in order, and then the end; the
// first error `take` returns ends the recording with it.
Result<void> record_frames(const Timeline& timeline, const RecordingSettings& settings,
                           const FrameSink& take);

}  // namespace burrowlight::replay
