#include "main/prototype_keys.hpp"

#include <string>

#include "headless/commands.hpp"
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

// The command a key stands for, or none.
const headless::PrototypeCommand* command_of_key(const Key& key) {
  using headless::kPrototypeCommands;
  if (auto direction = direction_of(key)) {
    return &command_for(kPrototypeCommands, PrototypeAction::move(*direction));
  }
  if (is_interact(key)) {
    return &command_for(kPrototypeCommands, PrototypeAction{PrototypeAction::Interact{}});
  }
  if (key.is_letter('r')) return &command_of(kPrototypeCommands, headless::CommandKind::Reset);
  return nullptr;
}

}  // namespace

void handle_prototype_key(const Key& key, Game& game, View& view) {
  const headless::PrototypeCommand* command = command_of_key(key);
  if (command == nullptr) return;
  if (command->kind == headless::CommandKind::Reset) {
    game = Game::authored();
    view.reset_camera();
  } else {
    greet(game.apply(command->action), game, view);
  }
}

}  // namespace burrowlight
