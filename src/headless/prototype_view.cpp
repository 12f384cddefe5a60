#include "headless/prototype_view.hpp"

#include <variant>

#include "headless/commands.hpp"

namespace burrowlight::headless {

void find_blocking_props(const World& world, std::vector<std::uint8_t>& blocked) {
  blocked.assign(world.tiles.size(), 0);
  for (const Prop& prop : world.props) {
    if (world.inside(prop.x, prop.y) && present(prop) && blocks_movement(prop.kind)) {
      blocked[world.index(prop.x, prop.y)] = 1;
    }
  }
}

std::array<bool, kPrototypeMoveCount> legal_moves(const Game& game, const std::vector<std::uint8_t>& blocked) {
  std::array<bool, 4> legal{};
  for (std::size_t index = 0; index < legal.size(); ++index) {
    const auto step = std::get<PrototypeAction::Move>(kPrototypeActions[index].action.kind);
    // Widened, so that a player at the limits of the coordinate range cannot overflow.
    const std::int64_t x = std::int64_t{game.x} + step.dx;
    const std::int64_t y = std::int64_t{game.y} + step.dy;
    if (x < 0 || x >= game.world.width || y < 0 || y >= game.world.height) continue;
    const std::size_t cell =
        game.world.index(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    const Tile tile = game.world.tiles[cell];
    legal[index] = tile == Tile::ClosedOakDoor || (walkable(tile) && blocked[cell] == 0);
  }
  return legal;
}

void write_map(const Game& game, std::span<char> map) {
  std::array<char, kTileCount> glyphs;
  for (std::size_t code = 0; code < kTileCount; ++code)
    glyphs[code] = glyph(static_cast<Tile>(code));
  for (std::size_t cell = 0; cell < map.size(); ++cell) {
    const bool discovered = cell < game.discovered.size() && game.discovered[cell] == 1;
    map[cell] = discovered ? glyphs[static_cast<std::size_t>(game.world.tiles[cell])] : '?';
  }
  if (game.world.inside(game.x, game.y)) map[game.world.index(game.x, game.y)] = '@';
}

}  // namespace burrowlight::headless
