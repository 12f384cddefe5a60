#pragma once
// The prototype as an environment, stepped in process. Its state is the game, a value.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "core/game.hpp"
#include "env/observation_layout.hpp"
#include "headless/commands.hpp"
#include "headless/replies.hpp"

namespace burrowlight::env {

// An action index names an entry of headless::kPrototypeAgentCommands: the four moves,
// then interact and wait.
inline constexpr std::size_t kPrototypeActionCount = headless::kPrototypeAgentCommands.size();

// The authored location's size, which every prototype state has (a state is checked
// against the authored location before it is restored).
inline constexpr std::size_t kPrototypeRows = 46;
inline constexpr std::size_t kPrototypeColumns = 86;

struct PrototypeField {
  enum : std::size_t { Map, Position, Turn, Found, Awakened, Legal };
};
inline constexpr std::array kPrototypeFields{
    // Rows of glyphs, row 0 first.
    map("map", kPrototypeRows, kPrototypeColumns),
    // Column, then row.
    values("position", Element::Figure, 2, 0,
           static_cast<std::int64_t>(std::max(kPrototypeRows, kPrototypeColumns)) - 1),
    values("turn", Element::Figure, 1, 0, std::numeric_limits<std::int32_t>::max()),
    values("found", Element::Figure, 1, 0, static_cast<std::int64_t>(kCrystalCount)),
    flags("awakened", 1),
    // By action index, as the headless observation lists them.
    flags("legal", kPrototypeActionCount),
};
static_assert(kPrototypeFields[PrototypeField::Legal].name == "legal");

using PrototypeObservation = Observation<kPrototypeFields>;
using PrototypeRows = Rows<kPrototypeFields>;

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

  // Writes the observation into `rows` (one observation's, or a batch's row).
  void observe(const PrototypeRows& rows);
  void observe(PrototypeObservation& observation) { observe(observation.rows()); }

  // The line the headless prototype would have written for the last reset or step, line
  // feed included. Valid until the next call.
  std::string_view reply() { return replies_.prototype_observation(game_); }

  const Game& state() const { return game_; }
  void restore(const Game& game) { game_ = game; }

 private:
  Game game_ = Game::authored();
  headless::ReplyWriter replies_;
  // Where props block, found anew for each observation.
  std::vector<std::uint8_t> blocked_;
};

}  // namespace burrowlight::env
