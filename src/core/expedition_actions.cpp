// The actions' words and codes, and the rules that apply one action to an
// expedition. Every check runs before anything changes, so a refused action
// leaves the expedition exactly as it was.

#include "core/expedition_actions.hpp"

#include <algorithm>
#include <initializer_list>

#include "core/expedition.hpp"
#include "base/overloaded.hpp"
#include "base/panic.hpp"

namespace burrowlight {

namespace expedition {
std::optional<Action> Action::parse(std::string_view word) {
  const auto found = std::ranges::find(kActionWords, word);
  if (found == kActionWords.end()) {
    return std::nullopt;
  }
  return from_code(static_cast<std::uint8_t>(found - kActionWords.begin() + 1));
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

std::optional<Refusal> refusal_of_sentence(std::string_view sentence) {
  const auto found = std::ranges::find(kRefusalTexts, sentence, &RefusalText::sentence);
  if (found == kRefusalTexts.end()) return std::nullopt;
  return static_cast<Refusal>(found - kRefusalTexts.begin());
}

}  // namespace expedition

namespace {

using expedition::Event;
using expedition::Refusal;

// Generation and the rules only ever put the player on a cell of a floor, so
// anything else is a programming error that must stop the program rather than
// read or write outside the cells.
void require_player_inside_floor(const Expedition& state) {
  if (state.floor >= kFloorCount || !inside_floor(state.x, state.y)) {
    panic("the player stays inside the floor");
  }
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
  if (!inside_floor(place.x, place.y)) return std::nullopt;
  return place;
}

Cell& cell_at(Expedition& state, Place place) {
  return state.cells[state.floor * kCellsPerFloor +
                     static_cast<std::size_t>(place.y * kFloorWidth + place.x)];
}

// The neighbouring cell in a direction, or nothing past the edge of the floor.
std::optional<Cell> neighbour_cell(const Expedition& state, expedition::Direction direction) {
  const std::optional<Place> place = neighbour(state, direction);
  if (!place) return std::nullopt;
  return state.cell(place->x, place->y);
}

// The checks of each kind of action, in the order the rules take them. They read the
// cells they need only, so that a refused action leaves the expedition exactly as it was,
// and so that listing the legal actions of a state reads each of those cells once.
std::optional<Refusal> dig_refusal(std::optional<Cell> target, std::uint8_t charge) {
  if (!target) return Refusal::Blocked;
  if (!is_vein(*target)) return Refusal::NotRock;
  // A vein's cell code is its digging cost.
  if (charge < static_cast<std::uint8_t>(*target)) return Refusal::InsufficientCharge;
  return std::nullopt;
}

std::optional<Refusal> move_refusal(std::optional<Cell> target) {
  if (!target || *target == Cell::Wall || is_vein(*target)) return Refusal::Blocked;
  return std::nullopt;
}

std::optional<Refusal> interact_refusal(Cell under, std::uint8_t charge) {
  if (under != Cell::Flask) return Refusal::NoFlask;
  if (charge >= expedition::kMaxCharge) return Refusal::ChargeFull;
  return std::nullopt;
}

std::optional<Refusal> portal_refusal(Cell under) {
  if (under != Cell::UpPortal && under != Cell::DownPortal) return Refusal::NoPortal;
  return std::nullopt;
}

// What each kind of action does once its checks have passed.
Event dig(Expedition& state, expedition::Direction direction) {
  Cell& target = cell_at(state, *neighbour(state, direction));
  const auto cost = static_cast<std::uint8_t>(target);
  state.charge = static_cast<std::uint8_t>(state.charge - cost);
  target = Cell::Ground;
  return expedition::Dug{cost};
}

Event move(Expedition& state, expedition::Direction direction) {
  const Place place = *neighbour(state, direction);
  Cell& target = cell_at(state, place);
  state.x = place.x;
  state.y = place.y;
  if (target != Cell::Crystal) return expedition::Moved{};
  const std::uint32_t value = crystal_value(state.floor);
  state.score += value;
  target = Cell::Ground;
  return expedition::CrystalTaken{value};
}

Event interact(Expedition& state) {
  Cell& under = cell_at(state, {state.x, state.y});
  const std::uint8_t before = state.charge;
  state.charge = std::min<std::uint8_t>(before + expedition::kFlaskRefill, expedition::kMaxCharge);
  under = Cell::Ground;
  return expedition::FlaskUsed{static_cast<std::uint8_t>(state.charge - before)};
}

Event take_portal(Expedition& state) {
  if (state.cell(state.x, state.y) == Cell::UpPortal) {
    state.floor -= 1;
    state.x = kDownPortalX;
    state.y = kDownPortalY;
  } else {
    state.floor += 1;
    state.x = kStartX;
    state.y = kStartY;
  }
  return expedition::PortalTaken{state.floor};
}

}  // namespace

std::optional<expedition::Refusal> Expedition::refusal(const expedition::Action& action) const {
  if (turns >= expedition::kActionLimit) return Refusal::TurnLimit;
  return std::visit(
      Overloaded{
          [this](expedition::Move kind) {
            return move_refusal(neighbour_cell(*this, kind.direction));
          },
          [this](expedition::Dig kind) {
            return dig_refusal(neighbour_cell(*this, kind.direction), charge);
          },
          [this](expedition::Interact) { return interact_refusal(cell(x, y), charge); },
          [this](expedition::Portal) { return portal_refusal(cell(x, y)); },
          [](expedition::Wait) { return std::optional<Refusal>(); },
      },
      action.kind);
}

expedition::ActionSet Expedition::legal_actions() const {
  using expedition::Direction;
  expedition::ActionSet legal;
  if (turns >= expedition::kActionLimit) return legal;
  for (const Direction direction :
       {Direction::North, Direction::South, Direction::West, Direction::East}) {
    const std::optional<Cell> target = neighbour_cell(*this, direction);
    const auto offset = static_cast<std::size_t>(direction);
    legal[expedition::kFirstMoveCode - 1U + offset] = !move_refusal(target);
    legal[expedition::kFirstDigCode - 1U + offset] = !dig_refusal(target, charge);
  }
  const Cell under = cell(x, y);
  legal[expedition::kInteractCode - 1U] = !interact_refusal(under, charge);
  legal[expedition::kPortalCode - 1U] = !portal_refusal(under);
  legal[expedition::kWaitCode - 1U] = true;
  return legal;
}

std::expected<expedition::Event, expedition::Refusal> Expedition::apply(
    const expedition::Action& action) {
  require_player_inside_floor(*this);
  if (std::optional<Refusal> refused = refusal(action)) return std::unexpected(*refused);
  const Event event =
      std::visit(Overloaded{
                     [this](expedition::Move kind) { return move(*this, kind.direction); },
                     [this](expedition::Dig kind) { return dig(*this, kind.direction); },
                     [this](expedition::Interact) { return interact(*this); },
                     [this](expedition::Portal) { return take_portal(*this); },
                     [](expedition::Wait) { return Event{expedition::Waited{}}; },
                 },
                 action.kind);
  turns += 1;
  // A portal whose floor has no neighbour on that side would carry the player off the floors.
  require_player_inside_floor(*this);
  return event;
}

}  // namespace burrowlight
