#include "replay/recording.hpp"

#include <string>

#include "render/view.hpp"
#include "replay/replay_frame.hpp"
#include "replay/replay_keys.hpp"

namespace burrowlight::replay {

namespace {

// A player shows the first frame over whatever its terminal shows. The replay draws its
// first frame over a fresh screen with the cursor hidden, so the recording begins so
// too, without the alternate screen and raw mode, which a player has no use for.
constexpr std::string_view kCleanStart = "\x1b[?25l\x1b[2J\x1b[H";

// A player leaves its terminal as the recording's last bytes left it, and a shell prompt
// comes next: the recording gives back what it changed (plain attributes, the cursor
// shown) and puts the cursor on the line below the last frame.
std::string clean_end(const terminal::TerminalSize& size) {
  std::string end = "\x1b[0m\x1b[?25h\x1b[";
  end += std::to_string(size.rows);
  end += ";1H\r\n";
  return end;
}

void set_speed(Player& player, unsigned speed) {
  while (player.speed() < speed) player.faster();
  while (player.speed() > speed) player.slower();
}

}  // namespace

Result<void> record_frames(const Timeline& timeline, const RecordingSettings& settings,
                           const FrameSink& take) {
  render::View view;
  view.pixels = settings.pixels;
  Player player(timeline.last());
  set_speed(player, settings.speed);

  const std::uint64_t period = 1'000'000 / settings.speed;
  const float seconds = 1.0F / static_cast<float>(settings.speed);
  const std::size_t hold = std::size_t{kHoldSeconds} * settings.speed;
  // Step k is shown from tick hold + k - 1 on, step 0 from the start.
  const std::size_t last_tick = timeline.last() + 2 * hold - 1;

  StringOutput drawn;
  (void)drawn.write(kCleanStart);
  for (std::size_t tick = 0; tick <= last_tick; ++tick) {
    if (tick > 0) {
      view.advance(seconds);
      if (tick >= hold && player.step() < timeline.last()) {
        apply_replay_command(ReplayCommand::Forward, timeline, player, view);
      }
    }
    if (auto frame = draw_replay_frame(view, timeline, player, settings.size, drawn); !frame) {
      return frame;
    }
    if (tick == last_tick) (void)drawn.write(clean_end(settings.size));
    if (drawn.bytes().empty() && tick != last_tick) continue;
    if (auto taken = take({tick * period, drawn.bytes()}); !taken) return taken;
    drawn.clear();
  }
  return {};
}

}  // namespace burrowlight::replay
