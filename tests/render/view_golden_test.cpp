// Golden frames: the characters of every row, then a hash of every colour, compared
// with the snapshots under golden/. They pin the header, footer, panels and help
// overlay of both games at the start.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "core/expedition.hpp"
#include "core/game.hpp"
#include "render/palette.hpp"
#include "render/view.hpp"
#include "render/view_frames.hpp"
#include "support/files.hpp"

namespace burrowlight::render {
namespace {

using view_frames::expedition_game;
using view_frames::prototype_frame;
using view_frames::rows;

std::uint64_t colour_hash(const Screen& screen) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const ScreenCell& cell : screen.cells) {
    for (std::uint8_t channel :
         {cell.fg.r, cell.fg.g, cell.fg.b, cell.bg.r, cell.bg.g, cell.bg.b}) {
      hash = (hash ^ channel) * 0x100000001b3ULL;
    }
  }
  return hash;
}

void expect_golden(const std::string& name, const Screen& screen) {
  std::string path = std::string(BURROWLIGHT_SOURCE_DIR) + "/tests/render/golden/" + name + ".txt";
  std::ostringstream actual;
  for (const std::string& row : rows(screen)) actual << row << "|\n";
  actual << "colours fnv1a " << std::hex << colour_hash(screen) << "\n";
  const char* update = std::getenv("BURROWLIGHT_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual.str();
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(path))
      << "missing snapshot " << path << "; run with BURROWLIGHT_UPDATE_GOLDEN=1 to write it";
  EXPECT_EQ(actual.str(), test_support::read_file(path)) << "snapshot " << name;
}

TEST(Golden, PrototypeStart) {
  expect_golden("prototype_glyphs_90x30", prototype_frame(90, 30));
  expect_golden("prototype_glyphs_120x40", prototype_frame(120, 40));
  expect_golden("small_89x40", prototype_frame(89, 40));
  for (std::size_t zoom = 0; zoom < 4; ++zoom) {
    View view;
    view.pixels = true;
    // Zoom 1 is where a view starts, so that frame is composed without setting it.
    if (zoom != 1) view.zoom = zoom;
    expect_golden("prototype_pixels_zoom" + std::to_string(zoom) + "_120x40",
                  prototype_frame(120, 40, Game::authored(), view));
  }
}

TEST(Golden, PrototypeLaterWithMotesFloatsAndHelp) {
  View view;
  Game game = Game::authored();
  view.advance(0.1F);
  view.floats.push_back({"+ Emerald of Thorns", game.x, game.y, 0.6F, palette::emerald_of_thorns});
  view.advance(0.1F);
  expect_golden("prototype_glyphs_clock_120x40", view_frames::compose(view, game, 120, 40));
  view.help = true;
  expect_golden("prototype_help_120x40", view_frames::compose(view, game, 120, 40));
}

TEST(Golden, ExpeditionStartOfSeedZero) {
  Expedition expedition(0);
  Game game = expedition_game(expedition);
  View view;
  expect_golden("expedition_seed0_120x40",
                view_frames::compose(view, game, ExpeditionView{expedition, false}, 120, 40));
  View pixels;
  pixels.pixels = true;
  pixels.zoom = 3;
  expect_golden("expedition_seed0_pixels_zoom3_120x40",
                view_frames::compose(pixels, game, ExpeditionView{expedition, false}, 120, 40));
  view.help = true;
  expect_golden("expedition_help_120x40",
                view_frames::compose(view, game, ExpeditionView{expedition, true}, 120, 40));
}

}  // namespace
}  // namespace burrowlight::render
