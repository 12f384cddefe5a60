#pragma once
// The replies of the headless prototype, written straight into one reused buffer. Keys
// are written as constant fragments in byte order, so a reply costs no tree of values
// and, once the buffer has grown to the largest reply, no allocation.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game.hpp"
#include "headless/json_writer.hpp"

namespace burrowlight::headless {

// Each call returns one whole reply line, line feed included; the text stays valid until
// the next call on the same writer.
class PrototypeReplyWriter {
 public:
  PrototypeReplyWriter();

  // The text map, what is in view, the legal commands, the log and the objective.
  std::string_view prototype_observation(const Game& game);
  // The answer to a line that is no command.
  std::string_view prototype_unknown_command(std::uint64_t turn);

 private:
  void write_prototype_legal_actions(const Game& game, std::optional<std::size_t> target);
  void write_prototype_visible_tiles(const Game& game);

  JsonWriter out_;
  // The start of a visible tile's entry up to its column, for each tile and for both
  // values of "blocked": hundreds of entries per reply differ only in their numbers.
  std::array<std::array<std::string, 2>, kTileCount> tile_openings_;
  // The map, row after row.
  std::vector<char> map_;
  std::array<bool, kTileCount> tile_walkable_;
  // One byte per cell of the world: 1 where a prop stops movement.
  std::vector<std::uint8_t> blocked_;
};

}  // namespace burrowlight::headless
