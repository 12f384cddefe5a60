#pragma once
// How a program sees the prototype, shared by the headless replies and the in-process
// environment: which cells a prop blocks, which moves would take effect, and the text map.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/game.hpp"

namespace burrowlight::headless {

// A crystal that has been taken no longer exists for any rule or listing.
inline bool present(const Prop& prop) { return prop.active || !prop.kind.crystal(); }

// One byte per cell of `world` into `blocked`: 1 where a present prop stops movement.
void find_blocking_props(const World& world, std::vector<std::uint8_t>& blocked);

// Whether each move of kPrototypeActions (north, south, west, east) would take effect: the
// neighbour is inside the world and is a closed door (bumping opens it) or walkable ground that no
// present prop blocks. `blocked` is from find_blocking_props.
std::array<bool, kPrototypeMoveCount> legal_moves(const Game& game, const std::vector<std::uint8_t>& blocked);

// The map row by row, cell y * width + x: "@" for the player, the tile's glyph for a
// discovered cell (props are not drawn), "?" for the rest.
void write_map(const Game& game, std::span<char> map);

}  // namespace burrowlight::headless
