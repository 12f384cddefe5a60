#include "replay/replay_arguments.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <optional>
#include <string_view>

#include "base/arguments.hpp"
#include "render/view.hpp"

namespace burrowlight::replay {

namespace {

constexpr std::string_view kJsonl = "--jsonl";
constexpr std::string_view kAsciicast = "--asciicast";
constexpr std::string_view kGlyphs = "--glyphs";
constexpr std::string_view kPixels = "--pixels";
constexpr std::array<std::string_view, 4> kFlags = {kJsonl, kAsciicast, kGlyphs, kPixels};

constexpr std::string_view kSize = "--size";
constexpr std::string_view kSpeed = "--speed";

// A recording is drawn as the game draws a terminal, on at most as many cells.
constexpr std::uint16_t kLargestSide = terminal::kLargestDrawnSide;

// The limits are written into the messages below.
static_assert(render::kMinimumWidth == 90 && render::kMinimumHeight == 30 && kLargestSide == 1000);
static_assert(kSlowestSpeed == 1 && kFastestSpeed == 32);

constexpr std::string_view kSizeShape = "--size requires COLUMNSxROWS, such as 120x40";
constexpr std::string_view kSizeRange =
    "--size must be from 90x30, the game's smallest screen, to 1000x1000";
constexpr std::string_view kSpeedValue = "--speed requires 1, 2, 4, 8, 16 or 32 steps a second";

Error mistake(std::string_view message) { return Error(std::string(message)); }

constexpr std::array<ValuedOption, 2> kValuedOptions{{{kSize, kSizeShape}, {kSpeed, kSpeedValue}}};

// Plain decimal digits only: no sign, no space, no other base.
std::optional<unsigned> decimal(std::string_view text) {
  unsigned value = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

Result<terminal::TerminalSize> parse_size(std::string_view text) {
  const std::size_t cross = text.find('x');
  if (cross == std::string_view::npos) return std::unexpected(mistake(kSizeShape));
  const std::optional<unsigned> columns = decimal(text.substr(0, cross));
  const std::optional<unsigned> rows = decimal(text.substr(cross + 1));
  if (!columns || !rows) return std::unexpected(mistake(kSizeShape));
  if (*columns < render::kMinimumWidth || *rows < render::kMinimumHeight || *columns > kLargestSide ||
      *rows > kLargestSide) {
    return std::unexpected(mistake(kSizeRange));
  }
  return terminal::TerminalSize{static_cast<std::uint16_t>(*columns), static_cast<std::uint16_t>(*rows)};
}

Result<unsigned> parse_speed(std::string_view text) {
  const std::optional<unsigned> speed = decimal(text);
  // The replay's speeds double from the slowest to the fastest.
  if (!speed || *speed < kSlowestSpeed || *speed > kFastestSpeed || !std::has_single_bit(*speed)) {
    return std::unexpected(mistake(kSpeedValue));
  }
  return *speed;
}

Result<void> apply_value(const OptionValue& given, RecordingSettings& recording) {
  if (given.option == kSize) {
    auto size = parse_size(given.value);
    if (!size) return std::unexpected(size.error());
    recording.size = *size;
  } else {
    auto speed = parse_speed(given.value);
    if (!speed) return std::unexpected(speed.error());
    recording.speed = *speed;
  }
  return {};
}

}  // namespace

Result<ReplayArguments> scan_replay_arguments(const std::vector<std::string>& arguments) {
  auto scanned = scan_tool_arguments(arguments, kFlags, kValuedOptions);
  if (!scanned) return std::unexpected(scanned.error());

  ReplayArguments replay;
  if (scanned->help || scanned->version) {
    replay.help = scanned->help;
    replay.version = scanned->version;
    return replay;
  }
  replay.operands = std::move(scanned->operands);
  const auto given = [&](std::string_view flag) {
    return std::ranges::find(scanned->options, flag) != scanned->options.end();
  };
  if (given(kJsonl) && given(kAsciicast)) {
    return std::unexpected(mistake("--jsonl and --asciicast are two outputs; choose one"));
  }
  const bool recording_options = given(kGlyphs) || given(kPixels) || !scanned->values.empty();
  if (recording_options && !given(kAsciicast)) {
    return std::unexpected(mistake("--size, --speed, --glyphs and --pixels go with --asciicast"));
  }
  if (given(kJsonl)) replay.output = ReplayOutput::Trajectory;
  if (given(kAsciicast)) replay.output = ReplayOutput::Recording;

  for (const OptionValue& value : scanned->values) {
    if (auto applied = apply_value(value, replay.recording); !applied) {
      return std::unexpected(applied.error());
    }
  }
  for (const std::string& flag : scanned->options) {
    if (flag == kGlyphs || flag == kPixels) replay.recording.pixels = flag == kPixels;
  }
  return replay;
}

}  // namespace burrowlight::replay
