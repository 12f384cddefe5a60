// The headless prototype loop: a failing input or output ends the mode with its error.

#include "app/prototype_loop.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/game.hpp"
#include "sys/os_error.hpp"

namespace burrowlight::headless {
namespace {

class BrokenOutput final : public Output {
 public:
  explicit BrokenOutput(int good_flushes) : good_flushes_(good_flushes) {}
  Result<void> write(std::string_view) override { return {}; }
  Result<void> flush() override {
    if (good_flushes_-- > 0) return {};
    return std::unexpected(sys::os_error(EPIPE));
  }

 private:
  int good_flushes_;
};

class BrokenInput final : public Input {
 public:
  Result<std::size_t> read(std::span<char>) override { return std::unexpected(sys::os_error(EIO)); }
};

TEST(PrototypeLoop, StreamFailuresEndTheMode) {
  // Each input fails at the flush after the given number of good ones: the first reply,
  // an observation, an error reply and the farewell.
  const std::vector<std::pair<std::string, int>> cases = {
      {"look\n", 0}, {"look\nwait\n", 1}, {"hop\n", 1}, {"quit\n", 1}};
  for (const auto& [input, good_flushes] : cases) {
    StringInput in(input);
    BrokenOutput out(good_flushes);
    auto ended = app::run_prototype(in, out);
    ASSERT_FALSE(ended.has_value()) << input;
    EXPECT_EQ(ended.error().text(), "Broken pipe (os error 32)") << input;
  }
  BrokenInput in;
  StringOutput out;
  auto ended = app::run_prototype(in, out);
  ASSERT_FALSE(ended.has_value());
  EXPECT_EQ(ended.error().text(), "Input/output error (os error 5)");
  EXPECT_EQ(std::count(out.bytes().begin(), out.bytes().end(), '\n'), 1);
}

}  // namespace
}  // namespace burrowlight::headless
