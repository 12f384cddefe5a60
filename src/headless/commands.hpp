#pragma once
// The commands of the two headless protocols, one table per game: every listing of the
// words (the unknown-command sentences, the legal actions, the environments' action
// indices, the key handlers' choices) is derived from these tables, so a word is spelled
// in one place.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/prototype_actions.hpp"

namespace burrowlight::headless {

// Unicode white space trimmed at both ends, ASCII capitals lowered, everything else
// unchanged.
std::string normalize_command(std::string_view line);

enum class CommandKind : std::uint8_t { Look, Act, Save, Finish, Reset, Quit };

template <class GameAction>
struct Command {
  std::string_view word;
  CommandKind kind;
  // What a command of kind Act does; unused by the others.
  GameAction action{};
};

using ExpeditionCommand = Command<expedition::Action>;
using PrototypeCommand = Command<PrototypeAction>;

inline constexpr std::string_view kLookWord = "look";
inline constexpr std::string_view kQuitWord = "quit";

// In the order the unknown-command sentence names them: look, the eleven actions in code
// order, save, finish, quit.
inline constexpr auto kExpeditionCommands = [] {
  using expedition::Action;
  std::array<ExpeditionCommand, expedition::kActionWords.size() + 4> commands{};
  std::size_t next = 0;
  commands[next++] = {kLookWord, CommandKind::Look};
  for (std::size_t index = 0; index < expedition::kActionWords.size(); ++index) {
    const auto code = static_cast<std::uint8_t>(index + 1);
    commands[next++] = {expedition::kActionWords[index], CommandKind::Act,
                        *Action::from_code(code)};
  }
  commands[next++] = {"save", CommandKind::Save};
  commands[next++] = {"finish", CommandKind::Finish};
  commands[next++] = {kQuitWord, CommandKind::Quit};
  return commands;
}();

// look, the six actions, reset, quit.
inline constexpr auto kPrototypeCommands = [] {
  std::array<PrototypeCommand, kPrototypeActions.size() + 3> commands{};
  std::size_t next = 0;
  commands[next++] = {kLookWord, CommandKind::Look};
  for (const PrototypeActionWord& entry : kPrototypeActions) {
    commands[next++] = {entry.word, CommandKind::Act, entry.action};
  }
  commands[next++] = {"reset", CommandKind::Reset};
  commands[next++] = {kQuitWord, CommandKind::Quit};
  return commands;
}();

// The entry of `word` (already normalized), or nullptr for a line that is no command.
template <class GameAction, std::size_t N>
constexpr const Command<GameAction>* find_command(const std::array<Command<GameAction>, N>& table,
                                                  std::string_view word) {
  const auto found = std::ranges::find(table, word, &Command<GameAction>::word);
  return found == table.end() ? nullptr : &*found;
}

// The entry of kind `kind`; every table has exactly one entry of each kind it uses.
template <class GameAction, std::size_t N>
constexpr const Command<GameAction>& command_of(const std::array<Command<GameAction>, N>& table,
                                                CommandKind kind) {
  return *std::ranges::find(table, kind, &Command<GameAction>::kind);
}

// The entry that performs `action`.
template <class GameAction, std::size_t N>
constexpr const Command<GameAction>& command_for(const std::array<Command<GameAction>, N>& table,
                                                 const GameAction& action) {
  return *std::ranges::find_if(table, [&](const Command<GameAction>& command) {
    return command.kind == CommandKind::Act && command.action == action;
  });
}

// A text of fixed capacity built at compile time.
template <std::size_t Capacity>
struct FixedText {
  std::array<char, Capacity> bytes{};
  std::size_t size = 0;

  constexpr void append(std::string_view piece) {
    for (char byte : piece) bytes[size++] = byte;
  }
  constexpr std::string_view view() const { return {bytes.data(), size}; }
};

// "Unknown command. Use a, b, or c." over every word of a table.
template <class GameAction, std::size_t N>
constexpr FixedText<256> unknown_command_sentence(
    const std::array<Command<GameAction>, N>& table) {
  FixedText<256> text;
  text.append("Unknown command. Use ");
  for (std::size_t index = 0; index < N; ++index) {
    if (index > 0) text.append(", ");
    if (index + 1 == N) text.append("or ");
    text.append(table[index].word);
  }
  text.append(".");
  return text;
}

// `"legal_actions":["a","b"`, the start of a list of legal actions that always holds these.
constexpr FixedText<128> legal_actions_opening(std::initializer_list<std::string_view> words) {
  FixedText<128> text;
  text.append("\"legal_actions\":[");
  for (std::string_view word : words) {
    if (text.view().back() != '[') text.append(",");
    text.append("\"");
    text.append(word);
    text.append("\"");
  }
  return text;
}

inline constexpr FixedText<256> kExpeditionUnknownText =
    unknown_command_sentence(kExpeditionCommands);
inline constexpr FixedText<256> kPrototypeUnknownText =
    unknown_command_sentence(kPrototypeCommands);

inline constexpr std::string_view kExpeditionUnknownCommand = kExpeditionUnknownText.view();
inline constexpr std::string_view kPrototypeUnknownCommand = kPrototypeUnknownText.view();

// The reply to "quit" in both modes.
inline constexpr std::string_view kGoodbye = "{\"ok\":true,\"type\":\"goodbye\"}\n";

// What an environment can do by index: the expedition's eleven actions in code order,
// then "finish", which seals the run.
inline constexpr auto kExpeditionAgentCommands = [] {
  std::array<ExpeditionCommand, expedition::kActionWords.size() + 1> commands{};
  std::size_t next = 0;
  for (const ExpeditionCommand& command : kExpeditionCommands) {
    if (command.kind == CommandKind::Act || command.kind == CommandKind::Finish) {
      commands[next++] = command;
    }
  }
  return commands;
}();

// The prototype's six actions, in the order of kPrototypeActions.
inline constexpr auto kPrototypeAgentCommands = [] {
  std::array<PrototypeCommand, kPrototypeActions.size()> commands{};
  std::size_t next = 0;
  for (const PrototypeCommand& command : kPrototypeCommands) {
    if (command.kind == CommandKind::Act) commands[next++] = command;
  }
  return commands;
}();

}  // namespace burrowlight::headless
