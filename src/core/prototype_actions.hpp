#pragma once
// The prototype's six actions with their words: the four moves, interacting and waiting.
// The order of the table is the order every listing of them follows.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "core/expedition_actions.hpp"

namespace burrowlight {

struct PrototypeAction {
  struct Move {
    std::int32_t dx;
    std::int32_t dy;
    bool operator==(const Move&) const = default;
  };
  struct Interact {
    bool operator==(const Interact&) const = default;
  };
  struct Wait {
    bool operator==(const Wait&) const = default;
  };
  std::variant<Move, Interact, Wait> kind;

  // Exactly one of the six words, case-sensitive, with no trimming.
  static std::optional<PrototypeAction> parse(std::string_view word);
  // A step in one of the four directions the two games share.
  static constexpr PrototypeAction move(expedition::Direction direction) {
    const expedition::Step step = expedition::step(direction);
    return {Move{step.dx, step.dy}};
  }

  bool operator==(const PrototypeAction&) const = default;
};

struct PrototypeActionWord {
  std::string_view word;
  PrototypeAction action;
};

inline constexpr std::array<PrototypeActionWord, 6> kPrototypeActions{{
    {expedition::kDirectionWords[0], PrototypeAction::move(expedition::Direction::North)},
    {expedition::kDirectionWords[1], PrototypeAction::move(expedition::Direction::South)},
    {expedition::kDirectionWords[2], PrototypeAction::move(expedition::Direction::West)},
    {expedition::kDirectionWords[3], PrototypeAction::move(expedition::Direction::East)},
    {expedition::kInteractWord, {PrototypeAction::Interact{}}},
    {expedition::kWaitWord, {PrototypeAction::Wait{}}},
}};

// The moves come first, in the order of `expedition::Direction`.
inline constexpr std::size_t kPrototypeMoveCount = 4;

inline std::optional<PrototypeAction> PrototypeAction::parse(std::string_view word) {
  for (const PrototypeActionWord& entry : kPrototypeActions) {
    if (entry.word == word) return entry.action;
  }
  return std::nullopt;
}

}  // namespace burrowlight
