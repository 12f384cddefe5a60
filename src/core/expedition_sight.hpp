#pragma once
// What the player of an expedition sees: the cells of the current floor in view. It is
// the field of view of the floor's grid world (walls and veins stop sight, and so does
// everything beyond the floor), worked out with a few word operations per line of sight,
// because a run looks around after every accepted action.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/expedition_floors.hpp"
#include "core/game.hpp"

namespace burrowlight::expedition {

// A set of the cells of one floor, cell y * 19 + x.
class CellSet {
 public:
  bool contains(std::size_t cell) const { return (words_[cell / 64] >> (cell % 64) & 1U) != 0; }
  void insert(std::size_t cell) { words_[cell / 64] |= std::uint64_t{1} << (cell % 64); }
  // Cells 64 * index to 64 * index + 63, cell 64 * index at bit 0.
  std::uint64_t word(std::size_t index) const { return words_[index]; }
  static constexpr std::size_t kWords = (kCellsPerFloor + 63) / 64;

  CellSet& operator|=(const CellSet& other) {
    for (std::size_t word = 0; word < words_.size(); ++word) words_[word] |= other.words_[word];
    return *this;
  }

  bool operator==(const CellSet&) const = default;

 private:
  std::array<std::uint64_t, kWords> words_{};
};

// The cells of the current floor that stop sight, one word per row, with the columns
// beyond the floor set as stopping it too. They change only when a vein is dug or the
// player takes a portal, so a run keeps them between looks. A line of sight never leaves
// the box between the player and its target, so a line to a cell of the floor meets only
// rows of the floor and needs no rows beyond them.
class SightBlockers {
 public:
  // The floor's column 0 is this bit of a row's word.
  static constexpr int kFirstColumnBit = kSightRadius + 1;

  explicit SightBlockers(const Expedition& expedition);

  // Row y of the floor; the rows of a line's cells are offsets from the player's row.
  const std::uint64_t* rows_around(std::int32_t y) const { return rows_.data() + y; }

  bool operator==(const SightBlockers&) const = default;

 private:
  std::array<std::uint64_t, kFloorHeight> rows_;
};

// The cells of the current floor in view from the player's place.
CellSet cells_in_view(const Expedition& expedition, const SightBlockers& blockers);

}  // namespace burrowlight::expedition
