#pragma once
// The prototype game: the player's state on a World, the field of view and map
// memory, the bounded message log, and the rules that turn one action into an outcome.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/prototype_actions.hpp"
#include "core/world.hpp"

namespace burrowlight {

struct Outcome {
  struct Moved {
    bool operator==(const Moved&) const = default;
  };
  struct Blocked {
    bool operator==(const Blocked&) const = default;
  };
  struct DoorOpened {
    bool operator==(const DoorOpened&) const = default;
  };
  struct Found {
    Crystal crystal;
    bool operator==(const Found&) const = default;
  };
  struct Interacted {
    bool operator==(const Interacted&) const = default;
  };
  struct Awakened {
    bool operator==(const Awakened&) const = default;
  };
  struct Waited {
    bool operator==(const Waited&) const = default;
  };
  std::variant<Moved, Blocked, DoorOpened, Found, Interacted, Awakened, Waited> kind;
  bool operator==(const Outcome&) const = default;
};

// A named area of the prototype and the line logged when the player enters it.
struct Area {
  std::string_view name;
  std::string_view description;
};

// The area that holds (x, y); the areas are fixed rectangles that follow the rooms
// loosely, and every position belongs to one of them.
const Area& area_at(std::int32_t x, std::int32_t y);

// The area a new game reports, wherever the player was placed: the clearing.
const Area& starting_area();

inline constexpr std::size_t kLogCapacity = 8;

struct Game {
  World world;
  // The crystals taken, in the order taken.
  std::vector<Crystal> found;
  // One byte per cell: 1 while in view after the last visibility update.
  std::vector<std::uint8_t> visible;
  // One byte per cell: 1 once the cell has ever been in view.
  std::vector<std::uint8_t> discovered;
  // The last kLogCapacity messages, oldest first.
  std::deque<std::string> log_lines;
  // Always the name of one of the fixed areas.
  std::string_view region;
  std::int32_t x;
  std::int32_t y;
  // Actions that were not blocked.
  std::uint64_t turn;
  bool awakened;

  static Game from_world(World world, std::int32_t x, std::int32_t y);
  // The handcrafted prototype location, always the same.
  static Game authored();

  void update_visibility();
  void log(std::string line);
  Outcome apply(const PrototypeAction& action);
  // The list position of the prop Pip would interact with now.
  std::optional<std::size_t> interaction_target() const;
  // Takes the crystal at `index` (which must be a valid list position); nothing
  // happens when that prop is not a crystal.
  std::optional<Crystal> collect(std::size_t index);

  bool operator==(const Game&) const = default;
};

}  // namespace burrowlight
