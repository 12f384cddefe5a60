#include "app/expedition_agent.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

#include "app/agent.hpp"
#include "app/lines.hpp"

namespace burrowlight::expedition {

namespace {

using nlohmann::json;

constexpr std::string_view kUnknownCommand =
    "Unknown command. Use look, north, south, west, east, dig-north, dig-south, dig-west, "
    "dig-east, interact, "
    "portal, wait, save, finish, or quit.";

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
    if (auto written = burrowlight::Save::write(session.save.path(), session.record); !written) {
      return std::unexpected(written.error());
    }
    return no_reason();
  }
  if (command == "finish") {
    if (auto finished = session.finish(); !finished) return std::unexpected(finished.error());
    return no_reason();
  }
  if (std::optional<Action> action = Action::parse(command)) return apply_action(session, *action);
  return reason(kUnknownCommand);
}

json reply(const Session& session, const std::optional<std::string>& failure) {
  json observation = session.observation();
  if (failure) {
    observation["ok"] = false;
    observation["error"] = *failure;
  }
  return observation;
}

json goodbye() { return {{"ok", true}, {"type", "goodbye"}}; }

}  // namespace

Result<void> agent(Session session, Input& in, Output& out) {
  if (auto written = agent::respond(out, session.observation()); !written) return written;
  LineReader reader(in);
  while (true) {
    Result<std::optional<std::string>> line = reader.next();
    if (!line) return std::unexpected(line.error());
    if (!*line) return {};
    const std::string command = normalize_command(**line);
    // Lines after "quit" are never read, so a client may close its end whenever it likes.
    if (command == "quit") return agent::respond(out, goodbye());
    Handled handled = handle(session, command);
    if (!handled) return std::unexpected(handled.error());
    if (auto written = agent::respond(out, reply(session, *handled)); !written) return written;
  }
}

}  // namespace burrowlight::expedition
