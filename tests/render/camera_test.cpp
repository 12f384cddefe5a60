// The map panel's camera: how many tiles it shows, and how it follows the player.

#include "render/camera.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/game.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"
#include "render/view_frames.hpp"

namespace burrowlight::render {
namespace {

TEST(Camera, FollowCentresSmallWorldsAndScrollsAtTheMargins) {
  struct Case {
    std::int32_t camera;
    std::int32_t player;
    std::int32_t view;
    std::int32_t world;
    std::int32_t expected;
  };
  for (const Case& c : {
           Case{0, 2, 30, 19, -5},    // a 19-column floor in a 30-tile view starts 5 tiles in
           Case{3, 9, 43, 19, -12},   // the same floor at 120 columns
           Case{7, 9, 19, 19, 0},     // a world that just fits
           Case{0, 29, 40, 86, 0},    // walking east with margin 10: column 29 is still inside
           Case{0, 30, 40, 86, 1},    // and column 30 scrolls by one
           Case{20, 29, 40, 86, 19},  // walking west into the left margin
           Case{0, 3, 40, 86, 0},     // never past the left edge
           Case{46, 85, 40, 86, 46},  // never past the right edge
           Case{0, 2, 3, 86, 1},      // a tiny view still keeps a margin of one
       }) {
    SCOPED_TRACE(testing::Message()
                 << c.camera << " " << c.player << " " << c.view << " " << c.world);
    EXPECT_EQ(follow(c.camera, c.player, c.view, c.world), c.expected);
  }
}

TEST(Camera, RecentresOnceWhenAsked) {
  View view;
  Game game = Game::authored();
  update_camera(view, prototype_scene(game), ViewSize{30, 17});
  // Centred at (12 - 15, 23 - 8), then clamped into the world.
  EXPECT_EQ(view.camera_x, 0);
  EXPECT_EQ(view.camera_y, 15);
  EXPECT_FALSE(view.recenter);

  game.y = 40;
  update_camera(view, prototype_scene(game), ViewSize{30, 17});
  EXPECT_EQ(view.camera_y, 28) << "follows without re-centring";
}

TEST(Camera, ViewSizeInTilesPerModeAndZoom) {
  struct Case {
    std::uint16_t width;
    std::uint16_t height;
    bool pixels;
    std::size_t zoom;
    std::int32_t columns;
    std::int32_t rows;
  };
  for (const Case& c : {Case{90, 30, false, 0, 30, 17}, Case{120, 40, false, 0, 43, 27},
                        Case{120, 40, true, 0, 43, 27}, Case{120, 40, true, 1, 22, 14},
                        Case{120, 40, true, 2, 15, 9}, Case{120, 40, true, 3, 11, 7}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.pixels << c.zoom);
    ViewSize size = view_size(Layout::of(c.width, c.height), c.pixels, c.zoom);
    EXPECT_EQ(size.columns, c.columns);
    EXPECT_EQ(size.rows, c.rows);
  }
}

TEST(Camera, ModeChangeRecentresOnTheNextFrame) {
  View view;
  Game game = Game::authored();
  view_frames::compose(view, game, 120, 40);
  EXPECT_EQ(view.camera_x, 0);
  view.pixels = true;
  view.zoom = 3;
  view.recenter = true;
  view_frames::compose(view, game, 120, 40);
  // Eleven tiles across: centred on column 12 is 12 - 5.
  EXPECT_EQ(view.camera_x, 7);
  EXPECT_EQ(view.camera_y, 20);
}

}  // namespace
}  // namespace burrowlight::render
