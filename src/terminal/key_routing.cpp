#include "terminal/key_routing.hpp"

#include <algorithm>

#include "render/game_keys.hpp"

namespace burrowlight {

namespace {

constexpr std::size_t kLargestZoom = 3;

std::optional<KeyCommand> command_in(std::span<const Binding> bindings, const Key& key) {
  for (const Binding& binding : bindings) {
    if (matches(key, binding.key)) return binding.command;
  }
  return std::nullopt;
}

std::optional<KeyCommand> shared_command(const Key& key) {
  for (std::span<const Binding> bindings : kSharedBindings) {
    if (auto command = command_in(bindings, key)) return command;
  }
  return std::nullopt;
}

// Stillness, glyphs or pixels, and zoom; false for any other command.
bool handle_presentation_key(KeyCommand command, View& view) {
  switch (command) {
    case KeyCommand::Still:
      view.still = !view.still;
      return true;
    case KeyCommand::View:
      view.pixels = !view.pixels;
      view.recenter = true;
      return true;
    case KeyCommand::ZoomIn:
      if (view.pixels) {
        view.zoom = std::min(view.zoom + 1, kLargestZoom);
        view.recenter = true;
      }
      return true;
    case KeyCommand::ZoomOut:
      if (view.pixels) {
        view.zoom = view.zoom > 0 ? view.zoom - 1 : 0;
        view.recenter = true;
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool matches(const Key& key, KeyName name) {
  if (name.code != KeyCode::Character) return key.code == name.code;
  return key.is_letter(name.character) && (!name.ctrl || key.modifiers.ctrl);
}

bool is_small_terminal(std::uint16_t columns, std::uint16_t rows) {
  return columns < kMinimumWidth || rows < kMinimumHeight;
}

KeyRoute route_key(const Key& key, View& view, bool small_terminal, KeyClaim claim) {
  std::optional<KeyCommand> command = shared_command(key);
  if (command == KeyCommand::Quit) return KeyRoute::Quit;
  if (command == KeyCommand::Help) {
    view.help = !view.help;
    return KeyRoute::Handled;
  }
  if (view.help) {
    if (key.code == KeyCode::Enter) view.help = false;
    return KeyRoute::Handled;
  }
  if (small_terminal) return KeyRoute::Handled;
  if (claim == KeyClaim::Game) return KeyRoute::Game;
  if (command && handle_presentation_key(*command, view)) return KeyRoute::Handled;
  return KeyRoute::Game;
}

std::optional<KeyCommand> game_command(const KeyTable& table, const Key& key) {
  for (const KeyRow& row : table.rows) {
    if (auto command = command_in(row.bindings, key)) return command;
  }
  return std::nullopt;
}

std::optional<expedition::Direction> direction_of(KeyCommand command) {
  using expedition::Direction;
  switch (command) {
    case KeyCommand::North:
      return Direction::North;
    case KeyCommand::South:
      return Direction::South;
    case KeyCommand::West:
      return Direction::West;
    case KeyCommand::East:
      return Direction::East;
    default:
      return std::nullopt;
  }
}

}  // namespace burrowlight
