#include "terminal/key_routing.hpp"

#include <algorithm>

#include "render/game_keys.hpp"

namespace burrowlight::terminal {

namespace {

constexpr std::size_t kLargestZoom = 3;

std::optional<render::KeyCommand> command_in(std::span<const render::Binding> bindings, const Key& key) {
  for (const render::Binding& binding : bindings) {
    if (matches(key, binding.key)) return binding.command;
  }
  return std::nullopt;
}

std::optional<render::KeyCommand> shared_command(const Key& key) {
  for (std::span<const render::Binding> bindings : render::kSharedBindings) {
    if (auto command = command_in(bindings, key)) return command;
  }
  return std::nullopt;
}

// Stillness, glyphs or pixels, and zoom; false for any other command.
bool handle_presentation_key(render::KeyCommand command, render::View& view) {
  switch (command) {
    case render::KeyCommand::Still:
      view.still = !view.still;
      return true;
    case render::KeyCommand::View:
      view.pixels = !view.pixels;
      view.recenter = true;
      return true;
    case render::KeyCommand::ZoomIn:
      if (view.pixels) {
        view.zoom = std::min(view.zoom + 1, kLargestZoom);
        view.recenter = true;
      }
      return true;
    case render::KeyCommand::ZoomOut:
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

bool matches(const Key& key, render::KeyName name) {
  if (name.code != render::KeyCode::Character) return key.code == name.code;
  return key.is_letter(name.character) && (!name.ctrl || key.modifiers.ctrl);
}

bool is_small_terminal(std::uint16_t columns, std::uint16_t rows) {
  return columns < render::kMinimumWidth || rows < render::kMinimumHeight;
}

KeyRoute route_key(const Key& key, render::View& view, bool small_terminal, KeyClaim claim) {
  std::optional<render::KeyCommand> command = shared_command(key);
  if (command == render::KeyCommand::Quit) return KeyRoute::Quit;
  if (command == render::KeyCommand::Help) {
    view.help = !view.help;
    return KeyRoute::Handled;
  }
  if (view.help) {
    if (key.code == render::KeyCode::Enter) view.help = false;
    return KeyRoute::Handled;
  }
  if (small_terminal) return KeyRoute::Handled;
  if (claim == KeyClaim::Game) return KeyRoute::Game;
  if (command && handle_presentation_key(*command, view)) return KeyRoute::Handled;
  return KeyRoute::Game;
}

std::optional<render::KeyCommand> game_command(const render::KeyTable& table, const Key& key) {
  for (const render::KeyRow& row : table.rows) {
    if (auto command = command_in(row.bindings, key)) return command;
  }
  return std::nullopt;
}

std::optional<expedition::Direction> direction_of(render::KeyCommand command) {
  using expedition::Direction;
  switch (command) {
    case render::KeyCommand::North:
      return Direction::North;
    case render::KeyCommand::South:
      return Direction::South;
    case render::KeyCommand::West:
      return Direction::West;
    case render::KeyCommand::East:
      return Direction::East;
    default:
      return std::nullopt;
  }
}

}  // namespace burrowlight::terminal
