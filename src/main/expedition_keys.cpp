#include "main/expedition_keys.hpp"

#include <variant>

#include "headless/commands.hpp"
#include "terminal/key_routing.hpp"

namespace burrowlight::expedition {

namespace {

Result<void> apply_and_show(const Action& action, Session& session, View& view) {
  auto event = session.apply(action);
  if (event) {
    // A new floor has a different layout: nothing of the old camera or its
    // floating texts belongs there.
    if (std::holds_alternative<PortalTaken>(*event)) view.reset_camera();
    const Expedition& expedition = session.run().expedition();
    view.on_expedition_event(*event, expedition.x, expedition.y);
    return {};
  }
  if (const auto* refused = std::get_if<ApplyError::Refused>(&event.error().kind)) {
    session.log(refused->refusal);
    return {};
  }
  return std::unexpected(std::get<ApplyError::Save>(event.error().kind).error);
}

// One key serves both: on a portal it is the portal, anywhere else the flask.
Action interaction_underfoot(const Session& session) {
  const Expedition& expedition = session.run().expedition();
  const Cell underfoot = expedition.cell(expedition.x, expedition.y);
  if (underfoot == Cell::UpPortal || underfoot == Cell::DownPortal) return Action{Portal{}};
  return Action{Interact{}};
}

// The command a key stands for, or none.
const headless::ExpeditionCommand* command_of_key(const Key& key, const Session& session) {
  using headless::kExpeditionCommands;
  if (auto direction = direction_of(key)) {
    return &command_for(kExpeditionCommands, session.human_move(*direction));
  }
  if (is_interact(key)) return &command_for(kExpeditionCommands, interaction_underfoot(session));
  if (key.is_letter('f')) return &command_of(kExpeditionCommands, headless::CommandKind::Finish);
  return nullptr;
}

}  // namespace

Result<void> handle_expedition_key(const Key& key, Session& session, View& view) {
  const headless::ExpeditionCommand* command = command_of_key(key, session);
  if (command == nullptr) return {};
  if (command->kind == headless::CommandKind::Finish) return session.finish();
  return apply_and_show(command->action, session, view);
}

}  // namespace burrowlight::expedition
