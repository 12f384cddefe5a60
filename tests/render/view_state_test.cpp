// The view between frames: floating texts from the expedition's events and their
// lifecycle, the clock and its stillness, the camera reset, and what drawing writes.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/expedition_actions.hpp"
#include "core/game.hpp"
#include "render/expedition_presentation.hpp"
#include "render/palette.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"

namespace burrowlight::render {
namespace {

// ---------------------------------------------------------------------------
// Time, events and floating texts.

TEST(View, ExpeditionEventsAddFloatingTexts) {
  struct Case {
    expedition::Event event;
    std::string text;
    Rgb colour;
  };
  std::vector<Case> adding{
      {expedition::Dug{3}, "-3", palette::dim},
      {expedition::CrystalTaken{16}, "+16 CRYSTAL", palette::gold},
      {expedition::FlaskUsed{4}, "+4 CHARGE", palette::green},
  };
  for (const Case& c : adding) {
    SCOPED_TRACE(c.text);
    View view;
    show_event(view, c.event, 5, 6);
    ASSERT_EQ(view.floats.size(), 1U);
    EXPECT_EQ(view.floats[0].text, c.text);
    EXPECT_EQ(view.floats[0].colour, c.colour);
    EXPECT_EQ(view.floats[0].x, 5);
    EXPECT_EQ(view.floats[0].y, 6);
    EXPECT_EQ(view.floats[0].age, 0.0F);
  }
  View view;
  for (const expedition::Event& quiet : std::vector<expedition::Event>{
           expedition::Moved{}, expedition::Waited{}, expedition::PortalTaken{1}}) {
    show_event(view, quiet, 1, 1);
  }
  EXPECT_TRUE(view.floats.empty());
}

TEST(View, AdvanceAgesFloatsAndRemovesThemAtTwoSeconds) {
  View view;
  view.floats.push_back({"old", 0, 0, 1.5F, palette::ink});
  view.floats.push_back({"new", 0, 0, 0.0F, palette::ink});
  view.advance(0.25F);
  EXPECT_FLOAT_EQ(view.clock, 0.25F);
  ASSERT_EQ(view.floats.size(), 2U);
  EXPECT_FLOAT_EQ(view.floats[0].age, 1.75F);
  view.advance(0.25F);
  ASSERT_EQ(view.floats.size(), 1U) << "a float is gone once it is 2 seconds old";
  EXPECT_EQ(view.floats[0].text, "new");
  EXPECT_FLOAT_EQ(view.floats[0].age, 0.5F);
}

TEST(View, StillnessStopsTheClockAndTheFloats) {
  View view;
  view.floats.push_back({"+1 CRYSTAL", 0, 0, 1.9F, palette::gold});
  view.still = true;
  view.advance(0.1F);
  EXPECT_EQ(view.clock, 0.0F);
  ASSERT_EQ(view.floats.size(), 1U);
  EXPECT_FLOAT_EQ(view.floats[0].age, 1.9F);
  view.still = false;
  view.advance(0.1F);
  EXPECT_TRUE(view.floats.empty());
}

TEST(View, ResetCameraDropsFloatsAndAsksForRecentring) {
  View view;
  view.recenter = false;
  view.floats.push_back({"-2", 0, 0, 0.0F, palette::dim});
  view.reset_camera();
  EXPECT_TRUE(view.recenter);
  EXPECT_TRUE(view.floats.empty());
}

// ---------------------------------------------------------------------------
// What drawing writes.

TEST(View, IdenticalFramesWriteNothingTheSecondTime) {
  View view;
  Game game = Game::authored();
  StringOutput out;
  ASSERT_TRUE(view.draw_inner(prototype_scene(game), prototype_presentation(game), 100, 30, out));
  std::size_t first = out.bytes().size();
  EXPECT_GT(first, 100U * 30U);
  EXPECT_TRUE(out.bytes().starts_with("\x1b[?2026h\x1b[1;1H"));
  ASSERT_TRUE(view.draw_inner(prototype_scene(game), prototype_presentation(game), 100, 30, out));
  EXPECT_EQ(out.bytes().size(), first);
  EXPECT_EQ(out.flushes(), 1U);
}

// An output that refuses every write.
class BrokenOutput final : public Output {
 public:
  Result<void> write(std::string_view) override {
    return std::unexpected(Error::os(32, "Broken pipe"));
  }
  Result<void> flush() override { return {}; }
};

TEST(View, DrawInnerReturnsTheOutputError) {
  View view;
  BrokenOutput out;
  const Game game = Game::authored();
  Result<void> result =
      view.draw_inner(prototype_scene(game), prototype_presentation(game), 90, 30, out);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().text(), "Broken pipe (os error 32)");
  EXPECT_FALSE(view.previous.has_value());
}

}  // namespace
}  // namespace burrowlight::render
