#include "headless/commands.hpp"

#include <gtest/gtest.h>

namespace burrowlight::headless {
namespace {

TEST(NormalizeCommand, TrimsAndLowersAsciiOnly) {
  EXPECT_EQ(normalize_command("  NORTH\t"), "north");
  EXPECT_EQ(normalize_command("Dig-East"), "dig-east");
  EXPECT_EQ(normalize_command("\xC3\x89"), "\xC3\x89");  // É stays as it is
  EXPECT_EQ(normalize_command(""), "");
}

}  // namespace
}  // namespace burrowlight::headless
