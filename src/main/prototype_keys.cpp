#include "main/prototype_keys.hpp"

#include <string>

#include "render/palette.hpp"
#include "terminal/key_routing.hpp"

namespace burrowlight {

namespace {

// Finding a crystal and waking the waystone are the moments worth a floating text;
// every other outcome speaks through the log alone.
void greet(const Outcome& outcome, const Game& game, View& view) {
  if (const auto* found = std::get_if<Outcome::Found>(&outcome.kind)) {
    view.floats.push_back(Float{"+ " + std::string(name(found->crystal)), game.x, game.y, 0.0F,
                                palette::crystal(found->crystal)});
  } else if (std::holds_alternative<Outcome::Awakened>(outcome.kind)) {
    view.floats.push_back(Float{"THE WAYSTONE AWAKENS", game.x, game.y, 0.0F, palette::gold});
  }
}

}  // namespace

void handle_prototype_key(const Key& key, Game& game, View& view) {
  if (auto direction = direction_of(key)) {
    auto step = expedition::step(*direction);
    greet(game.apply(PrototypeAction{PrototypeAction::Move{step.dx, step.dy}}), game, view);
  } else if (is_interact(key)) {
    greet(game.apply(PrototypeAction{PrototypeAction::Interact{}}), game, view);
  } else if (key.is_letter('r')) {
    game = Game::authored();
    view.reset_camera();
  }
}

}  // namespace burrowlight
