#pragma once
// The grid world of the prototype, also the view model of an expedition floor:
// one-byte terrain tiles, the placed objects on them, and the singing crystals.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/panic.hpp"

namespace burrowlight {

enum class Tile : std::uint8_t {
  Darkness = 0,
  CaveRock,
  CastleWall,
  MossAndGrass,
  WornStonePath,
  MarbleFloor,
  GardenMosaic,
  WalnutFloor,
  CryptFlagstones,
  CrimsonRunner,
  ReflectingPool,
  ClosedOakDoor,
  OpenOakDoor,
};

inline constexpr std::size_t kTileCount = 13;

std::string_view display_name(Tile tile);
// The character of the tile in the text map of the headless prototype.
char glyph(Tile tile);
bool walkable(Tile tile);
bool blocks_sight(Tile tile);

enum class Crystal : std::uint8_t { EmeraldOfThorns, SapphireOfSilence, AmethystOfEchoes };
inline constexpr std::size_t kCrystalCount = 3;

std::string_view name(Crystal crystal);

// What a prop is. Only a crystal carries data (which crystal), and the whole
// value still fits in one byte: the tag in the low five bits, the crystal above.
class PropKind {
 public:
  enum class Tag : std::uint8_t {
    SilverleafTree,
    MoonFern,
    VelvetRoses,
    GlowingMushrooms,
    CarvedPillar,
    StainedGlassWindow,
    OldBookshelves,
    SealedSarcophagus,
    StoneBench,
    FadedRoyalBanner,
    Brazier,
    CandleStand,
    Crystal,
    ForestWaystone,
    Moss,
    EmberFlask,
    AscendingPortal,
    DescendingPortal,
    SoftVein,
    HardVein,
  };

  // Every tag but Tag::Crystal; a crystal is made with of_crystal so that it
  // always says which one it is (Tag::Crystal alone stands for the first crystal).
  constexpr PropKind(Tag tag) : code_(static_cast<std::uint8_t>(tag)) {}

  static constexpr PropKind of_crystal(Crystal crystal) {
    PropKind kind(Tag::Crystal);
    kind.code_ = static_cast<std::uint8_t>(static_cast<std::uint8_t>(Tag::Crystal) |
                                           (static_cast<std::uint8_t>(crystal) << kCrystalShift));
    return kind;
  }

  constexpr Tag tag() const { return static_cast<Tag>(code_ & kTagMask); }

  constexpr std::optional<Crystal> crystal() const {
    if (tag() != Tag::Crystal) return std::nullopt;
    return static_cast<Crystal>(code_ >> kCrystalShift);
  }

  bool operator==(const PropKind&) const = default;

 private:
  static constexpr std::uint8_t kTagMask = 0x1f;
  static constexpr int kCrystalShift = 5;

  std::uint8_t code_;
};

static_assert(sizeof(PropKind) == 1);

// A crystal shows the name of its crystal.
std::string_view display_name(PropKind kind);
bool blocks_movement(PropKind kind);
bool interactable(PropKind kind);

struct Prop {
  std::int32_t x;
  std::int32_t y;
  PropKind kind;
  // A crystal is active while it lies in the world, a flame while it burns.
  bool active;

  bool operator==(const Prop&) const = default;
};

struct World {
  // Row-major: the cell (x, y) is entry y * width + x.
  std::vector<Tile> tiles;
  // The order matters: the first matching prop wins every search.
  std::vector<Prop> props;
  std::int32_t width;
  std::int32_t height;

  static World filled(std::int32_t width, std::int32_t height, Tile tile);

  bool inside(std::int32_t x, std::int32_t y) const {
    return x >= 0 && x < width && y >= 0 && y < height;
  }
  // Callers check inside() first.
  std::size_t index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
  Tile tile(std::int32_t x, std::int32_t y) const {
    if (!inside(x, y)) panic("tile coordinates are in bounds");
    return tiles[index(x, y)];
  }
  void set(std::int32_t x, std::int32_t y, Tile tile) {
    if (!inside(x, y)) panic("tile coordinates are in bounds");
    tiles[index(x, y)] = tile;
  }

  bool operator==(const World&) const = default;
};

}  // namespace burrowlight
