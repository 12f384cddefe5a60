#include "core/prototype_actions.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace burrowlight {
namespace {

TEST(PrototypeActionParse, TakesExactlyTheSixWords) {
  using Move = PrototypeAction::Move;
  const std::pair<std::string_view, std::optional<PrototypeAction>> cases[] = {
      {"north", PrototypeAction{Move{0, -1}}},
      {"south", PrototypeAction{Move{0, 1}}},
      {"west", PrototypeAction{Move{-1, 0}}},
      {"east", PrototypeAction{Move{1, 0}}},
      {"interact", PrototypeAction{PrototypeAction::Interact{}}},
      {"wait", PrototypeAction{PrototypeAction::Wait{}}},
      // Words are compared as they are: trimming and lowering are the protocol's job.
      {"North", std::nullopt},
      {" north", std::nullopt},
      {"dig-north", std::nullopt},
      {"portal", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [word, action] : cases) EXPECT_EQ(PrototypeAction::parse(word), action) << word;
}

}  // namespace
}  // namespace burrowlight
