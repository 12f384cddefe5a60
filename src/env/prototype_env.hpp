#pragma once
// The prototype as an environment, stepped in process. Its state is the game, a value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/game.hpp"
#include "headless/commands.hpp"
#include "headless/prototype_reply.hpp"

namespace burrowlight::env {

// An action index names an entry of headless::kPrototypeAgentCommands: the four moves,
// then interact and wait.
inline constexpr std::size_t kPrototypeActionCount = headless::kPrototypeAgentCommands.size();

struct PrototypeObservation {
  // 46 rows of 86 glyphs as ASCII codes, row 0 first.
  std::vector<std::uint8_t> map;
  std::int32_t width;
  std::int32_t height;
  std::array<std::int32_t, 2> position;
  std::int32_t turn;
  std::int32_t found;
  bool awakened;
  // By action index, as the headless observation lists them.
  std::array<bool, kPrototypeActionCount> legal;
};

struct PrototypeStep {
  // One for each crystal found and one for the waystone's awakening.
  std::int64_t reward;
  // The waystone has awakened.
  bool terminated;
};

class PrototypeEnv {
 public:
  PrototypeEnv() = default;

  void reset() { game_ = Game::authored(); }

  // `action` indexes headless::kPrototypeAgentCommands; one out of range is a broken
  // precondition and panics.
  PrototypeStep step(std::size_t action);

  void observe(PrototypeObservation& observation);

  // The line the headless prototype would have written for the last reset or step, line
  // feed included. Valid until the next call.
  std::string_view reply() { return replies_.prototype_observation(game_); }

  const Game& state() const { return game_; }
  void restore(const Game& game) { game_ = game; }

 private:
  Game game_ = Game::authored();
  headless::PrototypeReplyWriter replies_;
  // Where props block, found anew for each observation.
  std::vector<std::uint8_t> blocked_;
};

}  // namespace burrowlight::env
