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

void PrototypeEnv::observe(const PrototypeRows& rows) {
  using At = PrototypeField;
  const World& world = game_.world;
  if (world.tiles.size() != kPrototypeFields[At::Map].size()) {
    panic("PrototypeEnv::observe: the location is not of the authored size");
  }
  const std::span<std::uint8_t, kPrototypeRows* kPrototypeColumns> map = rows.at<At::Map>();
  headless::write_map(game_, std::span<char>(reinterpret_cast<char*>(map.data()), map.size()));
  rows.at<At::Position>()[0] = game_.x;
  rows.at<At::Position>()[1] = game_.y;
  rows.at<At::Turn>()[0] = static_cast<std::int32_t>(game_.turn);
  rows.at<At::Found>()[0] = static_cast<std::int32_t>(game_.found.size());
  rows.at<At::Awakened>()[0] = game_.awakened;
  headless::find_blocking_props(world, blocked_);
  const std::array<bool, 4> moves = headless::legal_moves(game_, blocked_);
  const std::span<bool, kPrototypeActionCount> legal = rows.at<At::Legal>();
  std::copy(moves.begin(), moves.end(), legal.begin());
  legal[4] = game_.interaction_target().has_value();
  legal[5] = true;
}

}  // namespace burrowlight::env
