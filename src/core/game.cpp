#include "core/game.hpp"

#include <utility>

namespace burrowlight {

Game Game::from_world(World world, std::int32_t x, std::int32_t y) {
  std::size_t cells = world.tiles.size();
  Game game{
      .world = std::move(world),
      .found = {},
      .visible = std::vector<std::uint8_t>(cells, 0),
      .discovered = std::vector<std::uint8_t>(cells, 0),
      .log_lines = {},
      .region = starting_area().name,
      .x = x,
      .y = y,
      .turn = 0,
      .awakened = false,
  };
  game.update_visibility();
  return game;
}

void Game::log(std::string line) {
  log_lines.push_back(std::move(line));
  if (log_lines.size() > kLogCapacity) log_lines.pop_front();
}

}  // namespace burrowlight
