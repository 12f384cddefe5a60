#pragma once
// The keys both interactive games share, taken in a fixed order before a game sees
// a key: quitting, the help overlay, the small-terminal notice, and the keys that
// change only the presentation (stillness, glyphs or pixels, zoom).

#include <cstdint>
#include <optional>

#include "core/expedition_actions.hpp"
#include "render/key_table.hpp"
#include "render/view.hpp"
#include "terminal/keys.hpp"

namespace burrowlight::terminal {

enum class KeyRoute : std::uint8_t {
  // End the loop.
  Quit,
  // Taken care of here, or deliberately ignored.
  Handled,
  // Up to the game.
  Game,
};

// Who takes a presentation key (Space, G, Z, X): the shared handling, or the game,
// which then gets it as one of its own keys.
enum class KeyClaim : std::uint8_t { Shared, Game };

// Handles the shared keys on `view`. `small_terminal` is whether the frame just
// drawn was too small for the game, in which case the game sees no key at all.
KeyRoute route_key(const Key& key, render::View& view, bool small_terminal,
                   KeyClaim claim = KeyClaim::Shared);

// Whether a terminal of this size is below the smallest playable one.
bool is_small_terminal(std::uint16_t columns, std::uint16_t rows);

// The command `key` stands for in a game's table, or none.
std::optional<render::KeyCommand> game_command(const render::KeyTable& table, const Key& key);

// The walking direction of a command, or none when it does not walk.
std::optional<expedition::Direction> direction_of(render::KeyCommand command);

// Whether a pressed key is the key a table names.
bool matches(const Key& key, render::KeyName name);

}  // namespace burrowlight::terminal
