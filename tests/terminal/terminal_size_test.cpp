#include "terminal/terminal_size.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace burrowlight::terminal {
namespace {

TEST(DrawableSize, ClampsEachSideToTheLargestFrame) {
  struct Case {
    std::uint16_t columns, rows;
    TerminalSize drawn;
  };
  const std::vector<Case> cases = {
      {0, 0, {0, 0}},
      {90, 30, {90, 30}},
      {1000, 1000, {1000, 1000}},
      {1001, 40, {1000, 40}},
      {120, 1001, {120, 1000}},
      {65535, 65535, {1000, 1000}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(drawable_size(c.columns, c.rows), c.drawn) << c.columns << "x" << c.rows;
  }
}

}  // namespace
}  // namespace burrowlight::terminal
