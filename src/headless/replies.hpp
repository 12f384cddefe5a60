#pragma once
// Every reply of both headless modes, written straight into one reused buffer: the
// observations, the failure and unknown-command replies and the goodbye. Keys are
// written as constant fragments in byte order, so a reply costs no tree of values and,
// once the buffer has grown to the largest reply, no allocation.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"
#include "headless/json_writer.hpp"

namespace burrowlight::headless {

// The reply to "quit" in both modes.
inline constexpr std::string_view kGoodbye = "{\"ok\":true,\"type\":\"goodbye\"}\n";

// Each call returns one whole reply line, line feed included; the text stays valid until
// the next call on the same writer.
class ReplyWriter {
 public:
  ReplyWriter();

  // The prototype: the text map, what is in view, the legal commands, the log and the
  // objective.
  std::string_view prototype_observation(const Game& game);
  // The prototype's answer to a line that is no command.
  std::string_view prototype_unknown_command(std::uint64_t turn);

  // The expedition, with "ok" true: the map as the player sees and remembers it, the
  // notable cells in view, the legal commands and the run's figures.
  std::string_view expedition_observation(const expedition::Run& run);
  // The same observation with "ok" false and the reason the line failed.
  std::string_view expedition_failure(const expedition::Run& run, std::string_view reason);

 private:
  void write_expedition(const expedition::Run& run, std::optional<std::string_view> reason);
  void write_expedition_id(const Record& record);
  void write_prototype_legal_actions(const Game& game, std::optional<std::size_t> target);
  void write_prototype_visible_tiles(const Game& game);

  JsonWriter out_;
  // The start of a visible tile's entry up to its column, for each tile and for both
  // values of "blocked": hundreds of entries per reply differ only in their numbers.
  std::array<std::array<std::string, 2>, kTileCount> tile_openings_;
  // The prototype's map, row after row.
  std::vector<char> map_;
  std::array<bool, kTileCount> tile_walkable_;
  // One byte per cell of the prototype's world: 1 where a prop stops movement.
  std::vector<std::uint8_t> blocked_;
  // The identity of the last secret seen: a digest per reply would cost more than the
  // rest of the observation.
  std::optional<record::Secret> identified_secret_;
  std::string identity_;
};

}  // namespace burrowlight::headless
