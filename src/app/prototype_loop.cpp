#include "app/prototype_loop.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/line_protocol.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"
#include "headless/replies.hpp"

namespace burrowlight::headless {

namespace {

enum class Command : std::uint8_t { Look, North, South, West, East, Interact, Wait, Reset, Quit };

struct CommandWord {
  std::string_view word;
  Command command;
};

constexpr std::array<CommandWord, 9> kCommandWords{{
    {"look", Command::Look},
    {"north", Command::North},
    {"south", Command::South},
    {"west", Command::West},
    {"east", Command::East},
    {"interact", Command::Interact},
    {"wait", Command::Wait},
    {"reset", Command::Reset},
    {"quit", Command::Quit},
}};

std::optional<Command> parse_command(std::string_view line) {
  std::string normalized = normalize_command(line);
  for (const CommandWord& entry : kCommandWords) {
    if (entry.word == normalized) return entry.command;
  }
  return std::nullopt;
}

std::optional<PrototypeAction> action_of(Command command) {
  switch (command) {
    case Command::North:
      return PrototypeAction{PrototypeAction::Move{0, -1}};
    case Command::South:
      return PrototypeAction{PrototypeAction::Move{0, 1}};
    case Command::West:
      return PrototypeAction{PrototypeAction::Move{-1, 0}};
    case Command::East:
      return PrototypeAction{PrototypeAction::Move{1, 0}};
    case Command::Interact:
      return PrototypeAction{PrototypeAction::Interact{}};
    case Command::Wait:
      return PrototypeAction{PrototypeAction::Wait{}};
    case Command::Look:
    case Command::Reset:
    case Command::Quit:
      break;
  }
  return std::nullopt;
}

}  // namespace

Result<void> run_prototype(Input& in, Output& out) {
  Game game = Game::authored();
  ReplyWriter replies;
  if (auto written = send_reply(out, replies.prototype_observation(game)); !written) {
    return written;
  }
  LineReader reader(in);
  while (true) {
    Result<std::optional<std::string>> line = reader.next();
    if (!line) return std::unexpected(line.error());
    // The end of the input ends the mode quietly: there is nobody left to greet.
    if (!*line) return {};
    std::optional<Command> command = parse_command(**line);
    if (!command) {
      if (auto written = send_reply(out, replies.prototype_unknown_command(game.turn));
          !written) {
        return written;
      }
      continue;
    }
    if (*command == Command::Quit) return send_reply(out, kGoodbye);
    if (*command == Command::Reset) game = Game::authored();
    // The outcome is not reported: the observation shows what changed.
    if (std::optional<PrototypeAction> action = action_of(*command)) game.apply(*action);
    if (auto written = send_reply(out, replies.prototype_observation(game)); !written) {
      return written;
    }
  }
}

}  // namespace burrowlight::headless
