#include "env/prototype_env.hpp"

#include <algorithm>

#include "core/panic.hpp"
#include "headless/prototype_view.hpp"

namespace burrowlight::env {

PrototypeStep PrototypeEnv::step(std::size_t action) {
  if (action >= headless::kPrototypeAgentCommands.size()) {
    panic("PrototypeEnv::step: the action index is out of range");
  }
  const std::size_t found = game_.found.size();
  const bool awakened = game_.awakened;
  game_.apply(headless::kPrototypeAgentCommands[action].action);
  const auto gained =
      static_cast<std::int64_t>(game_.found.size() - found) + (game_.awakened && !awakened ? 1 : 0);
  return {gained, game_.awakened};
}

void PrototypeEnv::observe(PrototypeObservation& observation) {
  const World& world = game_.world;
  observation.map.resize(world.tiles.size());
  headless::write_map(game_, std::span<char>(reinterpret_cast<char*>(observation.map.data()),
                                             observation.map.size()));
  observation.width = world.width;
  observation.height = world.height;
  observation.position = {game_.x, game_.y};
  observation.turn = static_cast<std::int32_t>(game_.turn);
  observation.found = static_cast<std::int32_t>(game_.found.size());
  observation.awakened = game_.awakened;
  headless::find_blocking_props(world, blocked_);
  const std::array<bool, 4> moves = headless::legal_moves(game_, blocked_);
  std::copy(moves.begin(), moves.end(), observation.legal.begin());
  observation.legal[4] = game_.interaction_target().has_value();
  observation.legal[5] = true;
}

}  // namespace burrowlight::env
