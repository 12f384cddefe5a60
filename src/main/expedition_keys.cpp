#include "main/expedition_keys.hpp"

#include <optional>
#include <variant>

#include "render/expedition_presentation.hpp"
#include "render/game_keys.hpp"
#include "terminal/key_routing.hpp"

namespace burrowlight::main {

using expedition::Action;
using expedition::Interact;
using expedition::Portal;
using expedition::PortalTaken;

namespace {

Result<void> apply_and_show(const Action& action, app::Session& session, render::View& view) {
  auto event = session.apply(action);
  if (event) {
    // A new floor has a different layout: nothing of the old camera or its
    // floating texts belongs there.
    if (std::holds_alternative<PortalTaken>(*event)) view.reset_camera();
    const Expedition& expedition = session.run().expedition();
    render::show_event(view, *event, expedition.x, expedition.y);
    return {};
  }
  if (const auto* refused = std::get_if<app::ApplyError::Refused>(&event.error().kind)) {
    session.log(refused->refusal);
    return {};
  }
  return std::unexpected(std::get<app::ApplyError::Save>(event.error().kind).error);
}

// One key serves both: on a portal it is the portal, anywhere else the flask.
Action interaction_underfoot(const app::Session& session) {
  const Expedition& expedition = session.run().expedition();
  const Cell underfoot = expedition.cell(expedition.x, expedition.y);
  if (underfoot == Cell::UpPortal || underfoot == Cell::DownPortal) return Action{Portal{}};
  return Action{Interact{}};
}

// The action a walking or interacting command stands for here, or none.
std::optional<Action> action_of(render::KeyCommand command, const app::Session& session) {
  if (auto direction = terminal::direction_of(command)) return session.human_move(*direction);
  if (command == render::KeyCommand::Interact) return interaction_underfoot(session);
  return std::nullopt;
}

}  // namespace

Result<void> handle_expedition_key(const terminal::Key& key, app::Session& session, render::View& view) {
  std::optional<render::KeyCommand> command = terminal::game_command(render::kExpeditionKeys, key);
  if (!command) return {};
  if (*command == render::KeyCommand::Finish) return session.finish();
  if (auto action = action_of(*command, session)) return apply_and_show(*action, session, view);
  return {};
}

}  // namespace burrowlight::main
