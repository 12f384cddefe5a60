#include <array>
#include <initializer_list>

#include "core/game.hpp"
#include "core/prototype_rooms.hpp"

namespace burrowlight {

namespace {

constexpr std::int32_t kWidth = 86;
constexpr std::int32_t kHeight = 46;

struct Cell {
  std::int32_t x;
  std::int32_t y;
};

// Inclusive on both ends, unlike a room's box.
struct Span {
  std::int32_t left, top, right, bottom;
};

void fill(World& world, Span span, Tile tile) {
  for (std::int32_t y = span.top; y <= span.bottom; ++y) {
    for (std::int32_t x = span.left; x <= span.right; ++x) world.set(x, y, tile);
  }
}

void draw_terrain(World& world) {
  fill(world, {2, 8, 30, 37}, Tile::MossAndGrass);
  // The seam of rock under the hill, between the clearing and the castle.
  fill(world, {26, 17, 35, 28}, Tile::CaveRock);

  rooms::room(world, {34, 19, 52, 30}, Tile::MarbleFloor);      // The Gloaming Threshold.
  rooms::room(world, {52, 12, 83, 35}, Tile::MarbleFloor);      // The Velvet Nave.
  rooms::room(world, {34, 2, 51, 17}, Tile::GardenMosaic);      // The Moon Conservatory.
  rooms::room(world, {54, 2, 81, 11}, Tile::WalnutFloor);       // The Hushed Archive.
  rooms::room(world, {36, 33, 53, 44}, Tile::CryptFlagstones);  // The Gardener's Rest.

  // The path runs from the clearing through the seam and the Threshold to the Nave.
  fill(world, {10, 22, 54, 24}, Tile::WornStonePath);
  // Passages from the Archive to the Nave, from the Conservatory to the Threshold
  // and from the Threshold down to the Rest.
  fill(world, {65, 10, 67, 12}, Tile::MarbleFloor);
  fill(world, {42, 16, 44, 19}, Tile::MarbleFloor);
  fill(world, {42, 29, 44, 33}, Tile::CryptFlagstones);
  fill(world, {55, 22, 80, 24}, Tile::CrimsonRunner);
  // The Conservatory's pool and the clearing's pond.
  fill(world, {40, 8, 45, 11}, Tile::ReflectingPool);
  fill(world, {13, 30, 20, 34}, Tile::ReflectingPool);

  // The path and the passages cut three cells wide through the walls; jambs narrow
  // each cut back to a single doorway.
  // clang-format off
  constexpr std::array<Cell, 10> kDoorJambs{{
      {65, 10}, {67, 10}, {42, 16}, {44, 16}, {34, 22},
      {52, 22}, {34, 24}, {52, 24}, {42, 33}, {44, 33},
  }};
  // clang-format on
  for (Cell cell : kDoorJambs) world.set(cell.x, cell.y, Tile::CastleWall);
  constexpr std::array<Cell, 5> kDoors{{{66, 10}, {43, 16}, {34, 23}, {52, 23}, {43, 33}}};
  for (Cell cell : kDoors) world.set(cell.x, cell.y, Tile::ClosedOakDoor);
}

void place(World& world, PropKind kind, std::initializer_list<Cell> cells) {
  for (Cell cell : cells) world.props.push_back(Prop{cell.x, cell.y, kind, true});
}

// The list order matters to the rules and to the headless observation.
void place_props(World& world) {
  using Tag = PropKind::Tag;
  // clang-format off
  place(world, Tag::SilverleafTree,
        {{3, 9},   {7, 9},   {12, 10}, {17, 8},  {23, 9},  {28, 10}, {3, 14},  {8, 14},
         {20, 14}, {25, 15}, {4, 19},  {8, 18},  {24, 19}, {29, 19}, {3, 26},  {7, 28},
         {25, 28}, {28, 31}, {3, 34},  {8, 35},  {11, 37}, {23, 37}, {29, 36}});
  place(world, Tag::MoonFern,
        {{6, 12}, {15, 13}, {22, 17}, {6, 30}, {24, 33}, {30, 26}, {36, 5}, {48, 13}});
  place(world, Tag::VelvetRoses,
        {{11, 18}, {19, 27}, {9, 33}, {36, 6}, {37, 6}, {47, 6}, {48, 6}, {37, 13}, {47, 13}});
  place(world, Tag::GlowingMushrooms, {{24, 21}, {29, 25}, {5, 31}, {40, 41}, {50, 41}});
  place(world, Tag::CarvedPillar, {{57, 17}, {65, 17}, {74, 17}, {57, 29}, {65, 29}, {74, 29}});
  place(world, Tag::StainedGlassWindow,
        {{57, 12}, {65, 12}, {74, 12}, {82, 17}, {82, 29}, {38, 2}, {46, 2}, {59, 2}, {68, 2},
         {76, 2}});
  place(world, Tag::OldBookshelves,
        {{57, 5}, {58, 5}, {61, 5}, {62, 5}, {68, 7}, {69, 7}, {72, 7}, {73, 7}, {77, 5}, {78, 5}});
  place(world, Tag::SealedSarcophagus, {{39, 36}, {48, 36}, {39, 40}, {49, 40}});
  place(world, Tag::StoneBench, {{37, 10}, {48, 10}, {60, 20}, {70, 20}, {60, 26}, {70, 26}});
  place(world, Tag::FadedRoyalBanner, {{53, 16}, {53, 30}, {80, 16}, {80, 30}});
  place(world, Tag::Brazier,
        {{29, 21}, {36, 21}, {49, 27}, {55, 20}, {55, 26}, {79, 20}, {79, 26}, {38, 34}, {50, 42}});
  place(world, Tag::CandleStand, {{37, 15}, {48, 4}, {64, 4}, {76, 9}, {44, 35}});
  place(world, PropKind::of_crystal(Crystal::EmeraldOfThorns), {{44, 5}});
  place(world, PropKind::of_crystal(Crystal::SapphireOfSilence), {{74, 5}});
  place(world, PropKind::of_crystal(Crystal::AmethystOfEchoes), {{45, 40}});
  place(world, Tag::ForestWaystone, {{8, 23}});
  place(world, Tag::Moss, {{14, 25}});
  // clang-format on
}

}  // namespace

Game Game::authored() {
  World world = World::filled(kWidth, kHeight, Tile::Darkness);
  draw_terrain(world);
  place_props(world);
  // Pip starts on the path, next to the waystone and Moss.
  Game game = Game::from_world(std::move(world), 12, 23);
  game.log("Pip: That cave has windows. Caves should not have windows.");
  game.log("Find three crystals. Bring them back to the forest waystone.");
  return game;
}

}  // namespace burrowlight
