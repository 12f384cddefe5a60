// The actions' words and codes, and the rules that apply one action to an
// expedition. Every check runs before anything changes, so a refused action
// leaves the expedition exactly as it was.

#include "core/expedition_actions.hpp"

#include <algorithm>

#include "core/expedition_floors.hpp"
#include "core/overloaded.hpp"
#include "core/panic.hpp"

namespace burrowlight {

namespace expedition {
namespace {

constexpr std::uint8_t kFirstMoveCode = 1;
constexpr std::uint8_t kFirstDigCode = 5;
constexpr std::uint8_t kInteractCode = 9;
constexpr std::uint8_t kPortalCode = 10;
constexpr std::uint8_t kWaitCode = 11;
constexpr std::uint8_t kDirectionCount = 4;

}  // namespace

std::optional<Action> Action::parse(std::string_view word) {
  const auto found = std::ranges::find(kActionWords, word);
  if (found == kActionWords.end()) {
    return std::nullopt;
  }
  return from_code(static_cast<std::uint8_t>(found - kActionWords.begin() + 1));
}

std::optional<Action> Action::from_code(std::uint8_t code) {
  if (code >= kFirstMoveCode && code < kFirstMoveCode + kDirectionCount) {
    return Action{Move{static_cast<Direction>(code - kFirstMoveCode)}};
  }
  if (code >= kFirstDigCode && code < kFirstDigCode + kDirectionCount) {
    return Action{Dig{static_cast<Direction>(code - kFirstDigCode)}};
  }
  switch (code) {
    case kInteractCode:
      return Action{Interact{}};
    case kPortalCode:
      return Action{Portal{}};
    case kWaitCode:
      return Action{Wait{}};
    default:
      return std::nullopt;
  }
}

std::uint8_t Action::code() const {
  return std::visit(Overloaded{
                        [](Move move) {
                          return static_cast<std::uint8_t>(
                              kFirstMoveCode + static_cast<std::uint8_t>(move.direction));
                        },
                        [](Dig dig) {
                          return static_cast<std::uint8_t>(
                              kFirstDigCode + static_cast<std::uint8_t>(dig.direction));
                        },
                        [](Interact) { return kInteractCode; },
                        [](Portal) { return kPortalCode; },
                        [](Wait) { return kWaitCode; },
                    },
                    kind);
}

std::string_view Action::word() const { return kActionWords[code() - 1U]; }

std::string_view message(Refusal refusal) {
  switch (refusal) {
    case Refusal::Blocked:
      return "The destination is blocked.";
    case Refusal::NotRock:
      return "There is no mineable rock in that direction.";
    case Refusal::InsufficientCharge:
      return "There is not enough charge to dig that rock.";
    case Refusal::NoFlask:
      return "There is no unused flask under the player.";
    case Refusal::ChargeFull:
      return "Charge is full; the flask remains unused.";
    case Refusal::NoPortal:
      return "There is no portal under the player.";
    case Refusal::TurnLimit:
      return "This expedition has reached its action limit.";
  }
  return "";
}

std::string_view debug_name(Refusal refusal) {
  switch (refusal) {
    case Refusal::Blocked:
      return "Blocked";
    case Refusal::NotRock:
      return "NotRock";
    case Refusal::InsufficientCharge:
      return "InsufficientCharge";
    case Refusal::NoFlask:
      return "NoFlask";
    case Refusal::ChargeFull:
      return "ChargeFull";
    case Refusal::NoPortal:
      return "NoPortal";
    case Refusal::TurnLimit:
      return "TurnLimit";
  }
  return "";
}

}  // namespace expedition

namespace {

using expedition::Event;
using expedition::Refusal;
using Outcome = std::expected<Event, Refusal>;

// Generation and the rules only ever put the player on a cell of a floor, so
// anything else is a programming error that must stop the program rather than
// read or write outside the cells.
void require_player_inside_floor(const Expedition& state) {
  if (state.floor >= kFloorCount || !inside_floor(state.x, state.y)) {
    panic("the player stays inside the floor");
  }
}

Cell& cell_at(Expedition& state, std::int32_t x, std::int32_t y) {
  return state.cells[state.floor * kCellsPerFloor + static_cast<std::size_t>(y * kFloorWidth + x)];
}

bool is_vein(Cell kind) { return kind == Cell::SoftVein || kind == Cell::HardVein; }

// A crystal on floor f is worth 4 to the power f: 1, 4 and 16.
std::uint32_t crystal_value(std::size_t floor) { return std::uint32_t{1} << (2 * floor); }

struct Place {
  std::int32_t x;
  std::int32_t y;
};

// The neighbouring place in a direction, or nothing past the edge of the floor.
std::optional<Place> neighbour(const Expedition& state, expedition::Direction direction) {
  const expedition::Step offset = expedition::step(direction);
  const Place place = {state.x + offset.dx, state.y + offset.dy};
  if (!inside_floor(place.x, place.y)) {
    return std::nullopt;
  }
  return place;
}

Outcome dig(Expedition& state, expedition::Direction direction) {
  const std::optional<Place> place = neighbour(state, direction);
  if (!place) {
    return std::unexpected(Refusal::Blocked);
  }
  Cell& target = cell_at(state, place->x, place->y);
  if (!is_vein(target)) {
    return std::unexpected(Refusal::NotRock);
  }
  // A vein's cell code is its digging cost.
  const auto cost = static_cast<std::uint8_t>(target);
  if (state.charge < cost) {
    return std::unexpected(Refusal::InsufficientCharge);
  }
  state.charge = static_cast<std::uint8_t>(state.charge - cost);
  target = Cell::Ground;
  return expedition::Dug{cost};
}

Outcome move(Expedition& state, expedition::Direction direction) {
  const std::optional<Place> place = neighbour(state, direction);
  if (!place) {
    return std::unexpected(Refusal::Blocked);
  }
  Cell& target = cell_at(state, place->x, place->y);
  if (target == Cell::Wall || is_vein(target)) {
    return std::unexpected(Refusal::Blocked);
  }
  state.x = place->x;
  state.y = place->y;
  if (target != Cell::Crystal) {
    return expedition::Moved{};
  }
  const std::uint32_t value = crystal_value(state.floor);
  state.score += value;
  target = Cell::Ground;
  return expedition::CrystalTaken{value};
}

Outcome interact(Expedition& state) {
  Cell& under = cell_at(state, state.x, state.y);
  if (under != Cell::Flask) {
    return std::unexpected(Refusal::NoFlask);
  }
  if (state.charge >= expedition::kMaxCharge) {
    return std::unexpected(Refusal::ChargeFull);
  }
  const std::uint8_t before = state.charge;
  state.charge = std::min<std::uint8_t>(before + expedition::kFlaskRefill, expedition::kMaxCharge);
  under = Cell::Ground;
  return expedition::FlaskUsed{static_cast<std::uint8_t>(state.charge - before)};
}

Outcome take_portal(Expedition& state) {
  switch (cell_at(state, state.x, state.y)) {
    case Cell::UpPortal:
      state.floor -= 1;
      state.x = kDownPortalX;
      state.y = kDownPortalY;
      break;
    case Cell::DownPortal:
      state.floor += 1;
      state.x = kStartX;
      state.y = kStartY;
      break;
    default:
      return std::unexpected(Refusal::NoPortal);
  }
  return expedition::PortalTaken{state.floor};
}

}  // namespace

std::expected<expedition::Event, expedition::Refusal> Expedition::apply(
    const expedition::Action& action) {
  require_player_inside_floor(*this);
  if (turns >= expedition::kActionLimit) {
    return std::unexpected(Refusal::TurnLimit);
  }
  Outcome outcome =
      std::visit(Overloaded{
                     [this](expedition::Move kind) { return move(*this, kind.direction); },
                     [this](expedition::Dig kind) { return dig(*this, kind.direction); },
                     [this](expedition::Interact) { return interact(*this); },
                     [this](expedition::Portal) { return take_portal(*this); },
                     [](expedition::Wait) { return Outcome{expedition::Waited{}}; },
                 },
                 action.kind);
  if (outcome) {
    turns += 1;
  }
  // A portal whose floor has no neighbour on that side would carry the player off the floors.
  require_player_inside_floor(*this);
  return outcome;
}

}  // namespace burrowlight
