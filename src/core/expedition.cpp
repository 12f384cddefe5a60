// Generation of the three floors. There is no pseudo-random generator: every
// choice reads fixed bits of the seed, so a seed means the same floors on
// every platform and in every version that keeps these rules.

#include "core/expedition.hpp"

#include <algorithm>
#include <span>

namespace burrowlight {
namespace {

using FloorCells = std::span<Cell, kCellsPerFloor>;

struct Place {
  std::int32_t x;
  std::int32_t y;
};

// A vein in a wall between two rooms; its hardness is the seed bit at
// hardness_bit places above the floor's base bit.
struct FixedVein {
  Place place;
  unsigned hardness_bit;
};

// A vein that is cut only when its presence bit is set.
struct Shortcut {
  Place place;
  unsigned presence_bit;
  unsigned hardness_bit;
};

constexpr std::array<Place, 6> kRoomCorners = {{{1, 1}, {7, 1}, {13, 1}, {1, 7}, {7, 7}, {13, 7}}};
constexpr std::int32_t kRoomSize = 5;

constexpr std::array<FixedVein, 5> kFixedVeins = {{
    {{6, 3}, 0},
    {{12, 3}, 1},
    {{15, 6}, 2},
    {{12, 9}, 3},
    {{6, 9}, 4},
}};

constexpr Place kOptionalFlask = {3, 3};
constexpr std::array<Place, 5> kFlasks = {{{9, 3}, {15, 3}, {3, 9}, {9, 9}, {15, 9}}};
constexpr unsigned kOptionalFlaskBit = 63;

constexpr std::array<std::int32_t, 4> kOffsets = {-2, -1, 1, 2};

// The seed bits that must all be set for a crystal to appear on each floor.
constexpr std::array<std::uint64_t, kFloorCount> kCrystalBPresence = {0, 1ULL << 8,
                                                                      (1ULL << 16) | (1ULL << 17)};
constexpr std::array<std::uint64_t, kFloorCount> kCrystalCPresence = {0, 1ULL << 9,
                                                                      (1ULL << 18) | (1ULL << 19)};

bool bit(std::uint64_t seed, unsigned index) { return ((seed >> index) & 1U) != 0; }

// One of -2, -1, +1, +2, picked by the seed bits index (low) and index + 1 (high).
std::int32_t offset(std::uint64_t seed, unsigned index) {
  return kOffsets[(bit(seed, index) ? 1U : 0U) + (bit(seed, index + 1) ? 2U : 0U)];
}

bool all_bits_set(std::uint64_t seed, std::uint64_t mask) { return (seed & mask) == mask; }

Cell vein(bool hard) { return hard ? Cell::HardVein : Cell::SoftVein; }

void put(FloorCells cells, Place place, Cell kind) {
  cells[static_cast<std::size_t>(place.y * kFloorWidth + place.x)] = kind;
}

void generate_floor(std::uint64_t seed, std::size_t floor, FloorCells cells) {
  const auto floor_number = static_cast<unsigned>(floor);
  const unsigned base = 7 * floor_number;
  const unsigned crystal_base = 37 + 12 * floor_number;

  std::ranges::fill(cells, Cell::Wall);

  for (const Place corner : kRoomCorners) {
    for (std::int32_t y = corner.y; y < corner.y + kRoomSize; ++y) {
      for (std::int32_t x = corner.x; x < corner.x + kRoomSize; ++x) {
        put(cells, {x, y}, Cell::Ground);
      }
    }
  }

  for (const FixedVein& fixed : kFixedVeins) {
    put(cells, fixed.place, vein(bit(seed, base + fixed.hardness_bit)));
  }

  const std::array<Shortcut, 2> shortcuts = {{
      {{3, 6}, 21 + 2 * floor_number, base + 5},
      {{9, 6}, 22 + 2 * floor_number, base + 6},
  }};
  for (const Shortcut& shortcut : shortcuts) {
    if (bit(seed, shortcut.presence_bit)) {
      put(cells, shortcut.place, vein(bit(seed, shortcut.hardness_bit)));
    }
  }

  if (!bit(seed, kOptionalFlaskBit)) {
    put(cells, kOptionalFlask, Cell::Flask);
  }
  for (const Place flask : kFlasks) {
    put(cells, flask, Cell::Flask);
  }

  // No offset is zero, so a crystal never lands on a room centre and always stays in its room.
  put(cells, {9 + offset(seed, crystal_base - 10), 3 + offset(seed, crystal_base - 8)},
      Cell::Crystal);
  if (all_bits_set(seed, kCrystalBPresence[floor])) {
    put(cells, {15 + offset(seed, crystal_base - 6), 3 + offset(seed, crystal_base - 4)},
        Cell::Crystal);
  }
  if (all_bits_set(seed, kCrystalCPresence[floor])) {
    put(cells, {9 + offset(seed, crystal_base - 2), 9 + offset(seed, crystal_base)}, Cell::Crystal);
  }

  if (floor > 0) {
    put(cells, {kStartX, kStartY}, Cell::UpPortal);
  }
  if (floor + 1 < kFloorCount) {
    put(cells, {kDownPortalX, kDownPortalY}, Cell::DownPortal);
  }
}

}  // namespace

Expedition::Expedition(std::uint64_t generation_seed)
    : seed(generation_seed),
      floor(0),
      x(kStartX),
      y(kStartY),
      turns(0),
      score(0),
      cells{},
      charge(kStartCharge) {
  for (std::size_t index = 0; index < kFloorCount; ++index) {
    generate_floor(seed, index, FloorCells(cells.data() + index * kCellsPerFloor, kCellsPerFloor));
  }
}

}  // namespace burrowlight
