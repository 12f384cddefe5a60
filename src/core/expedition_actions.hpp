#pragma once
// The vocabulary of the expedition's rules: the eleven actions with their
// words and stored one-byte codes, the events an accepted action reports,
// and the reasons an action is refused.

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace burrowlight::expedition {

inline constexpr std::uint64_t kActionLimit = 512;
inline constexpr std::uint8_t kMaxCharge = 12;
inline constexpr std::uint8_t kFlaskRefill = 8;

enum class Direction : std::uint8_t { North = 0, South = 1, West = 2, East = 3 };

// The change of column and row made by one step in a direction.
struct Step {
  std::int32_t dx;
  std::int32_t dy;
};

constexpr Step step(Direction direction) {
  switch (direction) {
    case Direction::North:
      return {0, -1};
    case Direction::South:
      return {0, 1};
    case Direction::West:
      return {-1, 0};
    case Direction::East:
      return {1, 0};
  }
  return {0, 0};
}

struct Move {
  Direction direction;
  bool operator==(const Move&) const = default;
};
struct Dig {
  Direction direction;
  bool operator==(const Dig&) const = default;
};
struct Interact {
  bool operator==(const Interact&) const = default;
};
struct Portal {
  bool operator==(const Portal&) const = default;
};
struct Wait {
  bool operator==(const Wait&) const = default;
};

// The words that both games give the same deeds: the directions in the order of
// `Direction`, interacting and waiting.
inline constexpr std::array<std::string_view, 4> kDirectionWords = {"north", "south", "west",
                                                                    "east"};
inline constexpr std::string_view kInteractWord = "interact";
inline constexpr std::string_view kWaitWord = "wait";

// The words of the actions, in the order of their codes: the word at index i
// belongs to the action stored as code i + 1.
inline constexpr std::array<std::string_view, 11> kActionWords = {
    kDirectionWords[0], kDirectionWords[1], kDirectionWords[2], kDirectionWords[3],
    "dig-north",        "dig-south",        "dig-west",         "dig-east",
    kInteractWord,      "portal",           kWaitWord,
};

inline constexpr std::uint8_t kFirstMoveCode = 1;
inline constexpr std::uint8_t kFirstDigCode = 5;
inline constexpr std::uint8_t kInteractCode = 9;
inline constexpr std::uint8_t kPortalCode = 10;
inline constexpr std::uint8_t kWaitCode = 11;

// A set of the eleven actions, the action of code c at index c - 1.
using ActionSet = std::bitset<kActionWords.size()>;

struct Action {
  std::variant<Move, Dig, Interact, Portal, Wait> kind;

  // Exactly one of the eleven words, case-sensitive, with no trimming.
  static std::optional<Action> parse(std::string_view word);
  // Codes 1 to 11; every other byte is no action.
  static constexpr std::optional<Action> from_code(std::uint8_t code);

  std::uint8_t code() const;
  std::string_view word() const;

  bool operator==(const Action&) const = default;
};

constexpr std::optional<Action> Action::from_code(std::uint8_t code) {
  constexpr std::uint8_t kDirectionCount = 4;
  if (code >= kFirstMoveCode && code < kFirstMoveCode + kDirectionCount) {
    return Action{Move{static_cast<Direction>(code - kFirstMoveCode)}};
  }
  if (code >= kFirstDigCode && code < kFirstDigCode + kDirectionCount) {
    return Action{Dig{static_cast<Direction>(code - kFirstDigCode)}};
  }
  switch (code) {
    case kInteractCode:
      return Action{Interact{}};
    case kPortalCode:
      return Action{Portal{}};
    case kWaitCode:
      return Action{Wait{}};
    default:
      return std::nullopt;
  }
}

struct Moved {
  bool operator==(const Moved&) const = default;
};
struct Dug {
  std::uint8_t cost;
  bool operator==(const Dug&) const = default;
};
struct CrystalTaken {
  std::uint32_t value;
  bool operator==(const CrystalTaken&) const = default;
};
struct FlaskUsed {
  std::uint8_t gained;
  bool operator==(const FlaskUsed&) const = default;
};
struct PortalTaken {
  std::size_t floor;
  bool operator==(const PortalTaken&) const = default;
};
struct Waited {
  bool operator==(const Waited&) const = default;
};

using Event = std::variant<Moved, Dug, CrystalTaken, FlaskUsed, PortalTaken, Waited>;

// Why an action is turned down: by the rules, or because the run is sealed (which only
// a run knows, never the rules).
enum class Refusal : std::uint8_t {
  Blocked,
  NotRock,
  InsufficientCharge,
  NoFlask,
  ChargeFull,
  NoPortal,
  TurnLimit,
  Sealed,
};

// What a refusal says: the sentence shown to the player, with its full stop, and the
// variant's name for diagnostics.
struct RefusalText {
  std::string_view sentence;
  std::string_view name;
};

// Indexed by `Refusal`; a refusal added to the enum without its entry fails to compile.
inline constexpr std::array<RefusalText, static_cast<std::size_t>(Refusal::Sealed) + 1>
    kRefusalTexts = {{
        {"The destination is blocked.", "Blocked"},
        {"There is no mineable rock in that direction.", "NotRock"},
        {"There is not enough charge to dig that rock.", "InsufficientCharge"},
        {"There is no unused flask under the player.", "NoFlask"},
        {"Charge is full; the flask remains unused.", "ChargeFull"},
        {"There is no portal under the player.", "NoPortal"},
        {"This expedition has reached its action limit.", "TurnLimit"},
        {"This expedition is sealed. Start another with --new.", "Sealed"},
    }};
static_assert(std::ranges::none_of(kRefusalTexts,
                                   [](const RefusalText& text) { return text.sentence.empty(); }),
              "every refusal has its sentence");

constexpr std::string_view message(Refusal refusal) {
  return kRefusalTexts[static_cast<std::size_t>(refusal)].sentence;
}
constexpr std::string_view debug_name(Refusal refusal) {
  return kRefusalTexts[static_cast<std::size_t>(refusal)].name;
}

// The refusal whose sentence is `sentence`, for text that comes from outside (a state
// handed back by a client); nothing for any other text.
std::optional<Refusal> refusal_of_sentence(std::string_view sentence);

}  // namespace burrowlight::expedition
