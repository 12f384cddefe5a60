#include "app/expedition_loop.hpp"

#include <optional>
#include <string>
#include <utility>

#include "app/line_protocol.hpp"
#include "headless/commands.hpp"
#include "headless/observations.hpp"
#include "headless/replies.hpp"

namespace burrowlight::headless {

namespace {

using expedition::Action;
using expedition::ApplyError;
using expedition::Session;

// What a handled line leaves for its reply: nothing (a plain observation) or the reason
// for a failure reply. An error instead ends the mode.
using Handled = Result<std::optional<std::string>>;

Handled no_reason() { return std::optional<std::string>(); }

Handled reason(std::string_view text) { return std::optional<std::string>(std::string(text)); }

Handled apply_action(Session& session, const Action& action) {
  auto event = session.apply(action);
  if (event) return no_reason();
  if (auto* refused = std::get_if<ApplyError::Refused>(&event.error().kind))
    return reason(refused->text);
  return std::unexpected(std::get<ApplyError::Save>(event.error().kind).error);
}

Handled handle(Session& session, std::string_view command) {
  if (command == "look") return no_reason();
  if (command == "save") {
    if (auto written = session.write_save(); !written) return std::unexpected(written.error());
    return no_reason();
  }
  if (command == "finish") {
    if (auto finished = session.finish(); !finished) return std::unexpected(finished.error());
    return no_reason();
  }
  if (std::optional<Action> action = Action::parse(command)) return apply_action(session, *action);
  return reason(kExpeditionUnknownCommand);
}

nlohmann::json reply(const Session& session, const std::optional<std::string>& reason) {
  nlohmann::json observation = expedition_observation(session.run());
  if (!reason) return observation;
  return failure(std::move(observation), *reason);
}

}  // namespace

Result<void> run_expedition(Session session, Input& in, Output& out) {
  if (auto written = respond(out, expedition_observation(session.run())); !written) {
    return written;
  }
  LineReader reader(in);
  while (true) {
    Result<std::optional<std::string>> line = reader.next();
    if (!line) return std::unexpected(line.error());
    if (!*line) return {};
    const std::string command = normalize_command(**line);
    // Lines after "quit" are never read, so a client may close its end whenever it likes.
    if (command == "quit") return respond(out, goodbye());
    Handled handled = handle(session, command);
    if (!handled) return std::unexpected(handled.error());
    if (auto written = respond(out, reply(session, *handled)); !written) return written;
  }
}

}  // namespace burrowlight::headless
