#pragma once
// What the player of an expedition sees: the cells of the current floor in view. It is
// the field of view of the floor's grid world (walls and veins stop sight, and so does
// everything beyond the floor), worked out from the cells that stop sight rather than
// line by line: each casts a shadow, the targets whose line of sight passes it, a few
// words laid over the rows of the floor. A run looks around after every accepted action.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/expedition.hpp"

namespace burrowlight::expedition {

// A set of the cells of one floor, cell y * 19 + x.
class CellSet {
 public:
  bool contains(std::size_t cell) const { return (words_[cell / 64] >> (cell % 64) & 1U) != 0; }
  void insert(std::size_t cell) { words_[cell / 64] |= std::uint64_t{1} << (cell % 64); }
  // Inserts the cells (x, y) of row y for every bit x of `columns`, which holds no bit
  // past the floor's last column.
  void insert_row(std::int32_t y, std::uint32_t columns) {
    const auto first = static_cast<std::size_t>(y * kFloorWidth);
    const std::size_t bit = first % 64;
    words_[first / 64] |= std::uint64_t{columns} << bit;
    // A row may run on into the next word.
    if (bit + kFloorWidth > 64) words_[first / 64 + 1] |= std::uint64_t{columns} >> (64 - bit);
  }
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

// The cells of the current floor that stop sight, one word per row, column x at bit x.
// They change only when a vein is dug or the player takes a portal, so a run keeps them
// between looks. A line of sight never leaves the box between the player and its target,
// so a line to a cell of the floor meets cells of the floor only, and nothing beyond the
// floor needs to be held.
class SightBlockers {
 public:
  explicit SightBlockers(const Expedition& expedition);

  std::uint32_t row(std::int32_t y) const { return rows_[static_cast<std::size_t>(y)]; }

  bool operator==(const SightBlockers&) const = default;

 private:
  std::array<std::uint32_t, kFloorHeight> rows_;
};

// The cells of the current floor in view from the player's place.
CellSet cells_in_view(const Expedition& expedition, const SightBlockers& blockers);

}  // namespace burrowlight::expedition
