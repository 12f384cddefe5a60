#include "app/expedition_loop.hpp"

#include <optional>
#include <string>
#include <utility>

#include "app/line_protocol.hpp"
#include "headless/commands.hpp"
#include "headless/expedition_reply.hpp"

namespace burrowlight::app {

namespace {

using expedition::Action;
using headless::CommandKind;
using headless::ExpeditionCommand;
using headless::ExpeditionReplyWriter;
using headless::find_command;
using headless::kExpeditionCommands;
using headless::kExpeditionUnknownCommand;
using headless::kGoodbye;
using headless::normalize_command;

// What a handled line leaves for its reply: nothing (a plain observation) or the reason
// for a failure reply. An error instead ends the mode.
using Handled = Result<std::optional<std::string_view>>;

Handled no_reason() { return std::optional<std::string_view>(); }

Handled reason(std::string_view text) { return std::optional<std::string_view>(text); }

Handled apply_action(Session& session, const Action& action) {
  auto event = session.apply(action);
  if (event) return no_reason();
  if (auto* refused = std::get_if<ApplyError::Refused>(&event.error().kind))
    return reason(message(refused->refusal));
  return std::unexpected(std::get<ApplyError::Save>(event.error().kind).error);
}

Handled handle(Session& session, const ExpeditionCommand* command) {
  if (command == nullptr) return reason(kExpeditionUnknownCommand);
  switch (command->kind) {
    case CommandKind::Act:
      return apply_action(session, command->action);
    case CommandKind::Save:
      if (auto written = session.write_save(); !written) return std::unexpected(written.error());
      return no_reason();
    case CommandKind::Finish:
      if (auto finished = session.finish(); !finished) return std::unexpected(finished.error());
      return no_reason();
    case CommandKind::Look:
    case CommandKind::Reset:
    case CommandKind::Quit:
      break;
  }
  return no_reason();
}

}  // namespace

Result<void> run_expedition(Session session, Input& in, Output& out) {
  ExpeditionReplyWriter replies;
  if (auto written = send_reply(out, replies.expedition_observation(session.run())); !written) {
    return written;
  }
  LineReader reader(in);
  while (true) {
    Result<std::optional<std::string>> line = reader.next();
    if (!line) return std::unexpected(line.error());
    if (!*line) return {};
    const ExpeditionCommand* command = find_command(kExpeditionCommands, normalize_command(**line));
    // Lines after "quit" are never read, so a client may close its end whenever it likes.
    if (command != nullptr && command->kind == CommandKind::Quit) return send_reply(out, kGoodbye);
    Handled handled = handle(session, command);
    if (!handled) return std::unexpected(handled.error());
    const std::optional<std::string_view> reason = *handled;
    const std::string_view reply = reason ? replies.expedition_failure(session.run(), *reason)
                                          : replies.expedition_observation(session.run());
    if (auto written = send_reply(out, reply); !written) return written;
  }
}

}  // namespace burrowlight::app
