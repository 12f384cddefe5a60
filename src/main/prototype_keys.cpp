#include "main/prototype_keys.hpp"

#include <optional>
#include <string>

#include "render/game_keys.hpp"
#include "render/palette.hpp"
#include "terminal/key_routing.hpp"

namespace burrowlight::main {

namespace {

// Finding a crystal and waking the waystone are the moments worth a floating text;
// every other outcome speaks through the log alone.
void greet(const Outcome& outcome, const Game& game, render::View& view) {
  if (const auto* found = std::get_if<Outcome::Found>(&outcome.kind)) {
    view.floats.push_back(render::Float{"+ " + std::string(name(found->crystal)), game.x, game.y, 0.0F,
                                render::palette::crystal(found->crystal)});
  } else if (std::holds_alternative<Outcome::Awakened>(outcome.kind)) {
    view.floats.push_back(render::Float{"THE WAYSTONE AWAKENS", game.x, game.y, 0.0F, render::palette::gold});
  }
}

// The action a walking or interacting command stands for, or none.
std::optional<PrototypeAction> action_of(render::KeyCommand command) {
  if (auto direction = terminal::direction_of(command)) return PrototypeAction::move(*direction);
  if (command == render::KeyCommand::Interact) return PrototypeAction{PrototypeAction::Interact{}};
  return std::nullopt;
}

}  // namespace

void handle_prototype_key(const terminal::Key& key, Game& game, render::View& view) {
  std::optional<render::KeyCommand> command = terminal::game_command(render::kPrototypeKeys, key);
  if (!command) return;
  if (*command == render::KeyCommand::Restart) {
    game = Game::authored();
    view.reset_camera();
  } else if (auto action = action_of(*command)) {
    greet(game.apply(*action), game, view);
  }
}

}  // namespace burrowlight::main
