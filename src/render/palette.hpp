#pragma once
// The named colours of the renderer's panels and texts, shared by the view, the
// map and the terminal loops, so that a colour means the same thing everywhere.

#include "core/world.hpp"
#include "render/screen.hpp"

namespace burrowlight::render::palette {

// Body text and the default foreground.
inline constexpr Rgb ink{204, 204, 211};
// Secondary text.
inline constexpr Rgb dim{123, 132, 150};
// Titles, key names and the score.
inline constexpr Rgb gold{222, 186, 116};
// The goblin and good news.
inline constexpr Rgb green{130, 214, 147};
// Charge, the status bar and the help footer.
inline constexpr Rgb sky{122, 190, 236};
// The human delver.
inline constexpr Rgb pale{176, 194, 215};
// Frame borders and the marker of a crystal not yet found.
inline constexpr Rgb slate{63, 71, 91};

inline constexpr Rgb emerald_of_thorns{87, 239, 167};
inline constexpr Rgb sapphire_of_silence{109, 188, 255};
inline constexpr Rgb amethyst_of_echoes{207, 139, 255};

constexpr Rgb crystal(Crystal which) {
  switch (which) {
    case Crystal::EmeraldOfThorns:
      return emerald_of_thorns;
    case Crystal::SapphireOfSilence:
      return sapphire_of_silence;
    case Crystal::AmethystOfEchoes:
      return amethyst_of_echoes;
  }
  return ink;
}

}  // namespace burrowlight::render::palette
