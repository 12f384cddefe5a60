#include "terminal/key_routing.hpp"

#include <algorithm>

namespace burrowlight {

namespace {

constexpr std::size_t kLargestZoom = 3;

bool is_quit(const Key& key) {
  return key.code == KeyCode::Escape || key.is_letter('q') ||
         (key.is_letter('c') && key.modifiers.ctrl);
}

// Space, G, Z and X; false for any other key.
bool handle_presentation_key(const Key& key, View& view) {
  if (key.is_character(' ')) {
    view.still = !view.still;
  } else if (key.is_letter('g')) {
    view.pixels = !view.pixels;
    view.recenter = true;
  } else if (key.is_letter('z')) {
    if (view.pixels) {
      view.zoom = std::min(view.zoom + 1, kLargestZoom);
      view.recenter = true;
    }
  } else if (key.is_letter('x')) {
    if (view.pixels) {
      view.zoom = view.zoom > 0 ? view.zoom - 1 : 0;
      view.recenter = true;
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool is_small_terminal(std::uint16_t columns, std::uint16_t rows) {
  return columns < kMinimumWidth || rows < kMinimumHeight;
}

KeyRoute route_key(const Key& key, View& view, bool small_terminal, KeyClaim claim) {
  if (is_quit(key)) return KeyRoute::Quit;
  if (key.is_character('?')) {
    view.help = !view.help;
    return KeyRoute::Handled;
  }
  if (view.help) {
    if (key.code == KeyCode::Enter) view.help = false;
    return KeyRoute::Handled;
  }
  if (small_terminal) return KeyRoute::Handled;
  if (claim == KeyClaim::Game) return KeyRoute::Game;
  if (handle_presentation_key(key, view)) return KeyRoute::Handled;
  return KeyRoute::Game;
}

std::optional<expedition::Direction> direction_of(const Key& key) {
  using expedition::Direction;
  switch (key.code) {
    case KeyCode::Up:
      return Direction::North;
    case KeyCode::Down:
      return Direction::South;
    case KeyCode::Left:
      return Direction::West;
    case KeyCode::Right:
      return Direction::East;
    default:
      break;
  }
  if (key.is_letter('w') || key.is_letter('k')) return Direction::North;
  if (key.is_letter('s') || key.is_letter('j')) return Direction::South;
  if (key.is_letter('a') || key.is_letter('h')) return Direction::West;
  if (key.is_letter('d') || key.is_letter('l')) return Direction::East;
  return std::nullopt;
}

bool is_interact(const Key& key) { return key.code == KeyCode::Enter || key.is_letter('e'); }

}  // namespace burrowlight
