#pragma once
// The asciinema web player (npm package asciinema-player), which the run pages play
// their recordings with. The board serves its script and stylesheet itself, so a page
// needs no other site; it reads them once at start from the package's dist/bundle folder.

#include <optional>
#include <string>

#include "base/error.hpp"

namespace burrowlight::board {

// Where scripts/setup installs the package.
inline constexpr std::string_view kDefaultPlayerDirectory =
    "/usr/local/lib/node_modules/asciinema-player/dist/bundle";

struct PlayerBundle {
  std::string script;
  std::string style;
};

// The bundle in `directory`: asciinema-player.min.js and asciinema-player.css.
Result<PlayerBundle> read_player_bundle(const std::string& directory);

// The bundle that --player names (which must be there), or the installed one, or none
// when it is not installed: the run pages then offer the recording as a download alone.
Result<std::optional<PlayerBundle>> find_player_bundle(const std::optional<std::string>& named);

}  // namespace burrowlight::board
