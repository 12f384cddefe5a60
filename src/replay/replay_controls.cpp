#include "replay/replay_controls.hpp"

#include <algorithm>
#include <array>

#include "render/game_keys.hpp"
#include "render/palette.hpp"

namespace burrowlight::replay {

namespace {

// The speeds are written into the help text below.
static_assert(kSlowestSpeed == 1 && kFastestSpeed == 32);

constexpr std::array<render::HelpKey, 8> kReplayKeys{{
    {"→ / L / .", "One step forward"},
    {"← / H / ,", "One step back"},
    {"Home / End", "The first step / the last step"},
    {"Space", "Play or pause"},
    {"+ / -", "Faster / slower, 1 to 32 steps a second"},
    render::kViewHelpKey,
    render::kZoomHelpKey,
    {"Q / Escape", "Quit; the save is only read"},
}};

}  // namespace

const std::string_view kFooterKeys =
    "REPLAY    ←/→  Step    Home/End  First/last    Space  Play/pause    ?  Help    Q  Quit";

const render::Guide kReplayGuide{
    "WATCHING A SAVED EXPEDITION",
    "You are watching a saved expedition. Nothing is written.",
    render::palette::pale,
    "Step 0 is the run before its first action; each later step shows it after one more "
    "action, as the game drew it.",
    kReplayKeys,
    "A sealed save ends with one step more: the seal.",
    "Press ? or Enter to return to the replay.",
};

std::string footer_notes(const Player& player, const Timeline& timeline) {
  std::string notes = "Step ";
  notes += std::to_string(std::min(player.step(), timeline.action_count()));
  notes += " / ";
  notes += std::to_string(timeline.action_count());
  if (timeline.is_seal(player.step())) notes += "  Sealed";
  notes += player.playing() ? "    Playing    " : "    Paused    ";
  notes += std::to_string(player.speed());
  notes += " steps/s    +/-  Speed";
  return notes;
}

}  // namespace burrowlight::replay
