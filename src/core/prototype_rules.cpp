#include <cstdlib>
#include <string>

#include "core/game.hpp"
#include "base/panic.hpp"

namespace burrowlight {

namespace {

constexpr std::size_t kCrystalsToAwaken = 3;

bool is_unit_step(std::int32_t dx, std::int32_t dy) {
  return (dx == 0 && (dy == -1 || dy == 1)) || (dy == 0 && (dx == -1 || dx == 1));
}

// Water cannot be crossed even though it lets sight through; a closed door is
// handled by the caller, since bumping into it opens it.
bool stops_movement(Tile tile) { return !walkable(tile) && tile != Tile::ClosedOakDoor; }

bool prop_blocks_cell(const World& world, std::int32_t x, std::int32_t y) {
  for (const Prop& prop : world.props) {
    if (prop.x == x && prop.y == y && blocks_movement(prop.kind)) return true;
  }
  return false;
}

std::optional<std::size_t> crystal_at(const World& world, std::int32_t x, std::int32_t y) {
  for (std::size_t index = 0; index < world.props.size(); ++index) {
    const Prop& prop = world.props[index];
    if (prop.x == x && prop.y == y && prop.kind.crystal() && prop.active) return index;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> Game::interaction_target() const {
  std::optional<std::size_t> best;
  std::int64_t best_distance = 2;
  for (std::size_t index = 0; index < world.props.size(); ++index) {
    const Prop& prop = world.props[index];
    if (!interactable(prop.kind)) continue;
    if (prop.kind.crystal() && !prop.active) continue;
    std::int64_t distance =
        std::llabs(std::int64_t{prop.x} - x) + std::llabs(std::int64_t{prop.y} - y);
    // Strictly smaller, so that among equal distances the earliest prop wins.
    if (distance < best_distance) {
      best = index;
      best_distance = distance;
    }
  }
  return best;
}

std::optional<Crystal> Game::collect(std::size_t index) {
  if (index >= world.props.size()) panic("prop index is in bounds");
  Prop& prop = world.props[index];
  std::optional<Crystal> crystal = prop.kind.crystal();
  if (!crystal) return std::nullopt;
  prop.active = false;
  found.push_back(*crystal);
  log("Found the " + std::string(name(*crystal)) + ". Its song settles into your satchel.");
  if (found.size() == kCrystalsToAwaken) {
    log("Three voices, one chord. Return to the waystone in the clearing.");
  }
  return crystal;
}

namespace {

Outcome move(Game& game, PrototypeAction::Move step) {
  if (!is_unit_step(step.dx, step.dy)) return {Outcome::Blocked{}};
  std::int64_t target_x = std::int64_t{game.x} + step.dx;
  std::int64_t target_y = std::int64_t{game.y} + step.dy;
  bool inside =
      target_x >= 0 && target_x < game.world.width && target_y >= 0 && target_y < game.world.height;
  if (!inside) return {Outcome::Blocked{}};
  auto x = static_cast<std::int32_t>(target_x);
  auto y = static_cast<std::int32_t>(target_y);
  Tile tile = game.world.tile(x, y);
  if (tile == Tile::ClosedOakDoor) {
    game.world.set(x, y, Tile::OpenOakDoor);
    game.log("The old door yields. Warm dust drifts through the frame.");
    return {Outcome::DoorOpened{}};
  }
  if (stops_movement(tile) || prop_blocks_cell(game.world, x, y)) return {Outcome::Blocked{}};
  game.x = x;
  game.y = y;
  if (auto index = crystal_at(game.world, x, y)) {
    if (auto crystal = game.collect(*index)) return {Outcome::Found{*crystal}};
  }
  return {Outcome::Moved{}};
}

Outcome interact_with_waystone(Game& game) {
  if (game.found.size() != kCrystalsToAwaken) {
    game.log("The waystone has three empty settings. Crystals found: " +
             std::to_string(game.found.size()) + "/3.");
    return {Outcome::Interacted{}};
  }
  // Once awake the waystone stays silent, but the attempt still takes a turn.
  if (game.awakened) return {Outcome::Interacted{}};
  game.awakened = true;
  game.log("The waystone blooms with light. For a moment, the forest remembers the stars.");
  game.log("Moss: Three shiny rocks. One impossible castle. A very good evening.");
  return {Outcome::Awakened{}};
}

Outcome interact(Game& game) {
  std::optional<std::size_t> target = game.interaction_target();
  if (!target) {
    game.log("Pip listens. Somewhere in the stone, a crystal is singing.");
    return {Outcome::Interacted{}};
  }
  Prop& prop = game.world.props[*target];
  switch (prop.kind.tag()) {
    case PropKind::Tag::OldBookshelves:
      game.log("Every book has the same title: A Guest Who Never Left. You put it back.");
      break;
    case PropKind::Tag::SealedSarcophagus:
      game.log("The inscription reads: LET THE GARDENER SLEEP. Something smells faintly of roses.");
      break;
    case PropKind::Tag::Brazier:
    case PropKind::Tag::CandleStand:
      prop.active = !prop.active;
      game.log(prop.active ? "A small flame wakes. The shadows make room."
                           : "You snuff the flame. Blue shadows return.");
      break;
    case PropKind::Tag::Crystal:
      if (auto crystal = game.collect(*target)) return {Outcome::Found{*crystal}};
      break;
    case PropKind::Tag::ForestWaystone:
      return interact_with_waystone(game);
    case PropKind::Tag::Moss:
      game.log("Moss: I will guard the way back. You investigate the suspiciously expensive cave.");
      break;
    default:
      break;
  }
  return {Outcome::Interacted{}};
}

// Every action that was not blocked takes a turn, may announce a new area and
// refreshes the view, always in this order so that the area line follows the
// action's own lines.
void finish(Game& game) {
  ++game.turn;
  const Area& area = area_at(game.x, game.y);
  if (area.name != game.region) {
    game.region = area.name;
    game.log(std::string(area.description));
  }
  game.update_visibility();
}

}  // namespace

Outcome Game::apply(const PrototypeAction& action) {
  Outcome outcome = std::visit(
      [this](const auto& kind) -> Outcome {
        using Kind = std::decay_t<decltype(kind)>;
        if constexpr (std::is_same_v<Kind, PrototypeAction::Move>) {
          return move(*this, kind);
        } else if constexpr (std::is_same_v<Kind, PrototypeAction::Interact>) {
          return interact(*this);
        } else {
          return {Outcome::Waited{}};
        }
      },
      action.kind);
  if (!std::holds_alternative<Outcome::Blocked>(outcome.kind)) finish(*this);
  return outcome;
}

}  // namespace burrowlight
