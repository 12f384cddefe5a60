// The light of a frame: the sources the player and the props cast, how they fall
// off and add up on a tile, and the colours of remembered tiles.

#include "render/lights.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/game.hpp"
#include "core/world.hpp"
#include "marble_floor.hpp"
#include "render/prototype_presentation.hpp"

namespace burrowlight::render {
namespace {

TEST(Lights, ThePlayerFirstThenEveryLitProp) {
  Game game = Game::authored();
  std::vector<Light> at_start = lights(prototype_scene(game), 0.0F);
  // 5 mushrooms, 10 windows, 9 braziers, 5 candle stands, 3 crystals, the waystone.
  ASSERT_EQ(at_start.size(), 1U + 33U);
  EXPECT_EQ(at_start[0].x, 12);
  EXPECT_EQ(at_start[0].y, 23);
  EXPECT_EQ(at_start[0].radius, 9.0F);
  EXPECT_EQ(at_start[0].colour, (Rgb{126, 110, 73}));

  game.world.props[85].active = false;  // A brazier snuffed.
  game.world.props[94].active = false;  // A candle stand snuffed.
  game.world.props[99].active = false;  // The Emerald taken.
  EXPECT_EQ(lights(prototype_scene(game), 0.0F).size(), 1U + 30U);
}

TEST(Lights, ColoursAndRadiiByKind) {
  struct Case {
    PropKind kind;
    bool awakened;
    Rgb colour;
    float radius;
  };
  // At t = 0 the portal pulse is 0.85 and the crystal pulse 0.7.
  for (const Case& c : {
           Case{PropKind::Tag::GlowingMushrooms, false, {48, 88, 101}, 2.8F},
           Case{PropKind::Tag::StainedGlassWindow, false, {89, 112, 194}, 6.0F},
           Case{PropKind::of_crystal(Crystal::EmeraldOfThorns), false, {60, 167, 116}, 5.5F},
           Case{PropKind::of_crystal(Crystal::AmethystOfEchoes), false, {144, 97, 178}, 5.5F},
           Case{PropKind::Tag::ForestWaystone, false, {61, 115, 118}, 4.0F},
           Case{PropKind::Tag::ForestWaystone, true, {222, 186, 116}, 10.0F},
           Case{PropKind::Tag::EmberFlask, false, {140, 86, 41}, 2.5F},
           Case{PropKind::Tag::AscendingPortal, false, {94, 87, 174}, 4.5F},
           Case{PropKind::Tag::DescendingPortal, false, {94, 87, 174}, 4.5F},
       }) {
    SCOPED_TRACE(std::string(display_name(c.kind)));
    Game game = marble_floor({{4, 5, c.kind, true}});
    game.awakened = c.awakened;
    std::vector<Light> frame = lights(prototype_scene(game), 0.0F);
    ASSERT_EQ(frame.size(), 2U);
    EXPECT_EQ(frame[1].x, 4);
    EXPECT_EQ(frame[1].y, 5);
    EXPECT_EQ(frame[1].colour, c.colour);
    EXPECT_EQ(frame[1].radius, c.radius);
  }
  // Every other kind casts no light at all.
  using Tag = PropKind::Tag;
  for (Tag dark : {Tag::SilverleafTree, Tag::MoonFern, Tag::VelvetRoses, Tag::CarvedPillar,
                   Tag::OldBookshelves, Tag::SealedSarcophagus, Tag::StoneBench,
                   Tag::FadedRoyalBanner, Tag::Moss, Tag::SoftVein, Tag::HardVein}) {
    SCOPED_TRACE(std::string(display_name(dark)));
    EXPECT_EQ(lights(prototype_scene(marble_floor({{4, 5, dark, true}})), 0.0F).size(), 1U);
  }
}

TEST(Lights, FlamesFlicker) {
  // With the phase 0.8 x + y = 0 at t = 0 the flicker is exactly 0.88.
  Game game = marble_floor(
      {{0, 0, PropKind::Tag::Brazier, true}, {0, 0, PropKind::Tag::CandleStand, true}});
  std::vector<Light> frame = lights(prototype_scene(game), 0.0F);
  ASSERT_EQ(frame.size(), 3U);
  EXPECT_EQ(frame[1].colour, (Rgb{207, 122, 54}));
  EXPECT_EQ(frame[1].radius, 6.5F);
  EXPECT_EQ(frame[2].colour, (Rgb{193, 153, 87}));
  EXPECT_EQ(frame[2].radius, 5.0F);
  EXPECT_NE(lights(prototype_scene(game), 0.3F)[1].colour, frame[1].colour);
}

TEST(Lights, LightAtATileFallsOffWithDistance) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    Rgb expected;
  };
  std::vector<Light> one{{0, 0, 2.0F, {100, 200, 250}}};
  for (const Case& c : {Case{0, 0, {42, 84, 105}},  // k = 0.42
                        Case{1, 0, {10, 21, 26}},   // k = 0.25 * 0.42
                        Case{2, 0, {0, 0, 0}},      // at the radius
                        Case{-1, -1, {3, 7, 9}},    // d = 1.414
                        Case{5, 9, {0, 0, 0}}}) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(light_at(one, c.x, c.y), c.expected);
  }
  std::vector<Light> two{
      {0, 0, 1.0F, {250, 250, 250}}, {0, 0, 1.0F, {250, 250, 250}}, {0, 0, 1.0F, {250, 250, 250}}};
  EXPECT_EQ(light_at(two, 0, 0), (Rgb{255, 255, 255})) << "the sum saturates";
}

TEST(Colours, RememberedAndSaturatingAdd) {
  EXPECT_EQ(remembered({100, 100, 100}), (Rgb{20, 24, 34}));
  EXPECT_EQ(remembered({255, 255, 255}), (Rgb{51, 61, 86}));
  EXPECT_EQ(saturating_add({200, 10, 0}, {100, 10, 255}), (Rgb{255, 20, 255}));
}

}  // namespace
}  // namespace burrowlight::render
