#include "core/expedition.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace burrowlight {
namespace {

constexpr std::uint64_t kAllBits = 18446744073709551615ULL;

char glyph(Cell kind) {
  constexpr std::array<char, 8> kGlyphs = {'#', '.', 'r', 'R', 'C', 'F', '<', '>'};
  return kGlyphs[static_cast<std::size_t>(kind)];
}

std::vector<std::string> draw_floor(const Expedition& state, std::size_t floor) {
  std::vector<std::string> rows;
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    std::string row;
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      row += glyph(state.floor_cell(floor, x, y));
    }
    rows.push_back(row);
  }
  return rows;
}

// A drawing with single cells replaced, for floors that differ from floor 0 in a few places.
std::vector<std::string> with_cells(
    std::vector<std::string> rows,
    std::initializer_list<std::pair<std::pair<int, int>, char>> changes) {
  for (const auto& [place, replacement] : changes) {
    rows[static_cast<std::size_t>(place.second)][static_cast<std::size_t>(place.first)] =
        replacement;
  }
  return rows;
}

// clang-format off
const std::vector<std::string> kSeedZeroFloorZero = {
    "###################",
    "#.....#C....#C....#",
    "#.....#.....#.....#",
    "#..F..r..F..r..F..#",
    "#.....#.....#.....#",
    "#.....#.....#.....#",
    "###############r###",
    "#.....#C....#.....#",
    "#.....#.....#.....#",
    "#..F..r..F..r..F..#",
    "#.>...#.....#.....#",
    "#.....#.....#.....#",
    "###################",
};

const std::vector<std::string> kAllBitsFloorZero = {
    "###################",
    "#.....#.....#.....#",
    "#.....#.....#.....#",
    "#.....R..F..R..F..#",
    "#.....#.....#.....#",
    "#.....#....C#....C#",
    "###R#####R#####R###",
    "#.....#.....#.....#",
    "#.....#.....#.....#",
    "#..F..R..F..R..F..#",
    "#.>...#.....#.....#",
    "#.....#....C#.....#",
    "###################",
};
// clang-format on

// Deeper floors differ from floor 0 in a few cells: floor 1 has its up portal (and, on
// seed 0, only one crystal), and floor 2 has no down portal.
TEST(VaultDrawing, MatchesTheWorkedFloors) {
  const std::vector<std::tuple<std::uint64_t, std::vector<std::string>, std::vector<std::string>>>
      cases = {
          {0, kSeedZeroFloorZero,
           with_cells(kSeedZeroFloorZero, {{{2, 2}, '<'}, {{13, 1}, '.'}, {{7, 7}, '.'}})},
          {kAllBits, kAllBitsFloorZero, with_cells(kAllBitsFloorZero, {{{2, 2}, '<'}})},
      };
  for (const auto& [seed, floor_zero, floor_one] : cases) {
    const Expedition state(seed);
    EXPECT_EQ(draw_floor(state, 0), floor_zero) << seed;
    EXPECT_EQ(draw_floor(state, 1), floor_one) << seed;
    EXPECT_EQ(draw_floor(state, 2), with_cells(floor_one, {{{2, 10}, '.'}})) << seed;
  }
}

TEST(Vault, StartsAtTheStartOfFloorZero) {
  const Expedition state(0x0123456789abcdefULL);
  EXPECT_EQ(state.seed, 0x0123456789abcdefULL);
  EXPECT_EQ(state.floor, 0U);
  EXPECT_EQ(state.x, 2);
  EXPECT_EQ(state.y, 2);
  EXPECT_EQ(state.turns, 0U);
  EXPECT_EQ(state.score, 0U);
  EXPECT_EQ(state.charge, 8);
  EXPECT_EQ(state.cell(2, 2), Cell::Ground);
  EXPECT_EQ(Expedition(0x0123456789abcdefULL), state);
}

TEST(Vault, EveryPlaceOffTheFloorReadsAsWall) {
  const Expedition state(0);
  const std::vector<std::pair<std::int32_t, std::int32_t>> outside = {
      {-1, 0}, {19, 0}, {0, 13}, {0, -1}, {-2147483647 - 1, 5}, {2147483647, 5}, {5, 2147483647}};
  for (const auto& [x, y] : outside) {
    EXPECT_EQ(state.cell(x, y), Cell::Wall) << x << "," << y;
    EXPECT_EQ(state.floor_cell(1, x, y), Cell::Wall) << x << "," << y;
  }
  EXPECT_EQ(state.floor_cell(3, 2, 2), Cell::Wall);
  EXPECT_EQ(state.cell(2, 10), Cell::DownPortal);
}

struct SeedCase {
  const char* name;
  std::uint64_t seed;
  std::array<std::size_t, kFloorCount> crystals;
  Cell centre_of_top_left;
};

std::size_t count(const Expedition& state, std::size_t floor, Cell kind) {
  std::size_t total = 0;
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      total += state.floor_cell(floor, x, y) == kind ? 1U : 0U;
    }
  }
  return total;
}

TEST(Vault, CrystalPresenceAndTheOptionalFlask) {
  const std::vector<SeedCase> cases = {
      {"seed zero", 0, {3, 1, 1}, Cell::Flask},
      {"only bit 63", 1ULL << 63, {3, 1, 1}, Cell::Ground},
      {"bits 8 and 9", (1ULL << 8) | (1ULL << 9), {3, 3, 1}, Cell::Flask},
      {"bit 16 without 17", 1ULL << 16, {3, 1, 1}, Cell::Flask},
      {"bits 16 and 17", (1ULL << 16) | (1ULL << 17), {3, 1, 2}, Cell::Flask},
      {"bits 18 and 19", (1ULL << 18) | (1ULL << 19), {3, 1, 2}, Cell::Flask},
      {"all bits", kAllBits, {3, 3, 3}, Cell::Ground},
  };
  for (const SeedCase& test : cases) {
    const Expedition state(test.seed);
    for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
      EXPECT_EQ(count(state, floor, Cell::Crystal), test.crystals[floor])
          << test.name << " floor " << floor;
      EXPECT_EQ(state.floor_cell(floor, 3, 3), test.centre_of_top_left)
          << test.name << " floor " << floor;
    }
  }
}

// Where the seed's bits land: the cells of each floor that a bit may change.
struct Place {
  std::size_t floor;
  std::int32_t x;
  std::int32_t y;
  auto operator<=>(const Place&) const = default;
};

// Every cell a crystal's two two-bit fields can place it on.
std::set<Place> crystal_room(std::size_t floor, std::int32_t centre_x, std::int32_t centre_y) {
  std::set<Place> places;
  for (const std::int32_t dx : {-2, -1, 1, 2}) {
    for (const std::int32_t dy : {-2, -1, 1, 2}) {
      places.insert({floor, centre_x + dx, centre_y + dy});
    }
  }
  return places;
}

// The roles of bit n by the table, each as the cells it may change.
std::vector<std::set<Place>> roles_of_bit(unsigned n) {
  std::vector<std::set<Place>> roles;
  for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
    const unsigned base = 7 * static_cast<unsigned>(floor);
    const unsigned crystal = 37 + 12 * static_cast<unsigned>(floor);
    const std::array<std::pair<std::int32_t, std::int32_t>, 7> vein_places = {
        {{6, 3}, {12, 3}, {15, 6}, {12, 9}, {6, 9}, {3, 6}, {9, 6}}};
    if (n >= base && n < base + 7) {
      roles.push_back({{floor, vein_places[n - base].first, vein_places[n - base].second}});
    }
    if (n == 21 + 2 * floor) {
      roles.push_back({{floor, 3, 6}});
    }
    if (n == 22 + 2 * floor) {
      roles.push_back({{floor, 9, 6}});
    }
    if (n + 10 >= crystal && n + 7 <= crystal) {
      roles.push_back(crystal_room(floor, 9, 3));
    }
    if ((n + 6 >= crystal && n + 3 <= crystal) || (floor == 1 && n == 8) ||
        (floor == 2 && (n == 16 || n == 17))) {
      roles.push_back(crystal_room(floor, 15, 3));
    }
    if ((n + 2 >= crystal && n <= crystal + 1) || (floor == 1 && n == 9) ||
        (floor == 2 && (n == 18 || n == 19))) {
      roles.push_back(crystal_room(floor, 9, 9));
    }
    if (n == 63) {
      roles.push_back({{floor, 3, 3}});
    }
  }
  return roles;
}

std::set<Place> differences(const Expedition& first, const Expedition& second) {
  std::set<Place> places;
  for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
    for (std::int32_t y = 0; y < kFloorHeight; ++y) {
      for (std::int32_t x = 0; x < kFloorWidth; ++x) {
        if (first.floor_cell(floor, x, y) != second.floor_cell(floor, x, y)) {
          places.insert({floor, x, y});
        }
      }
    }
  }
  return places;
}

// Flipping one bit must change only cells of that bit's roles, and over a
// spread of seeds it must take part in every one of its roles.
TEST(VaultBitRoles, EachBitChangesExactlyTheCellsOfItsRoles) {
  std::mt19937_64 random(20240611);
  std::vector<std::uint64_t> seeds = {0, kAllBits, 0x5555555555555555ULL, 0xaaaaaaaaaaaaaaaaULL};
  for (int index = 0; index < 60; ++index) {
    seeds.push_back(random());
  }
  for (unsigned n = 0; n < 64; ++n) {
    const std::vector<std::set<Place>> roles = roles_of_bit(n);
    std::set<Place> allowed;
    for (const std::set<Place>& role : roles) {
      allowed.insert(role.begin(), role.end());
    }
    std::set<Place> changed_anywhere;
    for (const std::uint64_t seed : seeds) {
      const std::set<Place> changed = differences(Expedition(seed), Expedition(seed ^ (1ULL << n)));
      for (const Place& place : changed) {
        EXPECT_TRUE(allowed.contains(place))
            << "bit " << n << " seed " << seed << " changed floor " << place.floor << " ("
            << place.x << ", " << place.y << ")";
      }
      changed_anywhere.insert(changed.begin(), changed.end());
    }
    for (const std::set<Place>& role : roles) {
      const bool played = std::ranges::any_of(
          role, [&](const Place& place) { return changed_anywhere.contains(place); });
      EXPECT_TRUE(played) << "bit " << n << " never changed its role on floor "
                          << role.begin()->floor << " near (" << role.begin()->x << ", "
                          << role.begin()->y << ")";
    }
  }
}

// The fixed parts of every floor do not depend on the seed at all.
TEST(VaultBitRoles, RoomsWallsAndPortalsAreTheSameForEverySeed) {
  std::mt19937_64 random(7);
  for (int index = 0; index < 200; ++index) {
    const Expedition state(random());
    for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
      const std::size_t flasks = count(state, floor, Cell::Flask);
      EXPECT_TRUE(flasks == 5 || flasks == 6);
      const std::size_t crystals = count(state, floor, Cell::Crystal);
      EXPECT_TRUE(floor == 0 ? crystals == 3 : crystals >= 1 && crystals <= 3);
      EXPECT_EQ(state.floor_cell(floor, 2, 2), floor > 0 ? Cell::UpPortal : Cell::Ground);
      EXPECT_EQ(state.floor_cell(floor, 2, 10), floor < 2 ? Cell::DownPortal : Cell::Ground);
      EXPECT_EQ(count(state, floor, Cell::UpPortal), floor > 0 ? 1U : 0U);
      EXPECT_EQ(count(state, floor, Cell::DownPortal), floor < 2 ? 1U : 0U);
      for (std::int32_t i = 0; i < kFloorWidth; ++i) {
        EXPECT_EQ(state.floor_cell(floor, i, 0), Cell::Wall);
        EXPECT_EQ(state.floor_cell(floor, i, 12), Cell::Wall);
      }
    }
  }
}

}  // namespace
}  // namespace burrowlight
