#include "app/prototype_loop.hpp"

#include <optional>
#include <string>
#include <string_view>

#include "app/line_protocol.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"
#include "headless/prototype_reply.hpp"

namespace burrowlight::app {

using headless::CommandKind;
using headless::find_command;
using headless::kGoodbye;
using headless::kPrototypeCommands;
using headless::normalize_command;
using headless::PrototypeCommand;
using headless::PrototypeReplyWriter;

Result<void> run_prototype(Input& in, Output& out) {
  Game game = Game::authored();
  PrototypeReplyWriter replies;
  if (auto written = send_reply(out, replies.prototype_observation(game)); !written) {
    return written;
  }
  LineReader reader(in);
  while (true) {
    Result<std::optional<std::string>> line = reader.next();
    if (!line) return std::unexpected(line.error());
    // The end of the input ends the mode quietly: there is nobody left to greet.
    if (!*line) return {};
    const PrototypeCommand* command = find_command(kPrototypeCommands, normalize_command(**line));
    if (command == nullptr) {
      if (auto written = send_reply(out, replies.prototype_unknown_command(game.turn)); !written) {
        return written;
      }
      continue;
    }
    if (command->kind == CommandKind::Quit) return send_reply(out, kGoodbye);
    if (command->kind == CommandKind::Reset) game = Game::authored();
    // The outcome is not reported: the observation shows what changed.
    if (command->kind == CommandKind::Act) game.apply(command->action);
    if (auto written = send_reply(out, replies.prototype_observation(game)); !written) {
      return written;
    }
  }
}

}  // namespace burrowlight::app
