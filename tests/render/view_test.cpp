// Frame composition: the small-terminal notice and the panel geometry, the side panels
// of both games, and the field notes, footer and status.

#include "render/view.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/expedition.hpp"
#include "core/game.hpp"
#include "render/palette.hpp"
#include "render/view_frames.hpp"

namespace burrowlight::render {
namespace {

using view_frames::cells_text;
using view_frames::delve_frame;
using view_frames::prototype_frame;
using view_frames::rows;
using view_frames::trimmed;

// ---------------------------------------------------------------------------
// Small terminals and panel geometry.

TEST(View, SmallTerminalShowsOnlyTheEnlargeNotice) {
  struct Case {
    std::uint16_t width;
    std::uint16_t height;
    std::string size_line;
  };
  for (const Case& c : {Case{89, 40, "Current size: 89 x 40. Q exits safely."},
                        Case{120, 29, "Current size: 120 x 29. Q exits safely."}}) {
    SCOPED_TRACE(c.size_line);
    View view;
    Screen screen = view_frames::compose(view, Game::authored(), c.width, c.height);
    std::vector<std::string> lines = rows(screen);
    for (std::int32_t y = 0; y < screen.height; ++y) {
      std::string expected;
      if (y == 2) expected = "  BURROWLIGHT";
      if (y == 4) expected = "  Please enlarge the terminal to at least 90 x 30.";
      if (y == 6) expected = "  " + c.size_line;
      EXPECT_EQ(trimmed(lines[static_cast<std::size_t>(y)]), expected) << "row " << y;
    }
    EXPECT_EQ(screen.at(2, 2).fg, palette::gold);
    EXPECT_EQ(screen.at(2, 4).fg, palette::ink);
    EXPECT_EQ(screen.at(2, 6).fg, palette::dim);
    // Nothing of the view changes, so the size change is noticed at the next full frame.
    EXPECT_EQ(view.last_width, 0);
    EXPECT_TRUE(view.recenter);
    EXPECT_EQ(view.camera_x, 0);
  }
}

TEST(View, SidePanelWidthFollowsTheTerminalWidth) {
  struct Case {
    std::uint16_t width;
    std::int32_t side_x;
  };
  for (const Case& c : {Case{90, 64}, Case{109, 83}, Case{110, 80}, Case{160, 130}}) {
    SCOPED_TRACE(c.width);
    View view;
    Screen screen = view_frames::compose(view, Game::authored(), c.width, 30);
    // The side frame's corner sits one column left of the panel's first column.
    EXPECT_EQ(screen.at(c.side_x - 1, 3).ch, U'╭');
    EXPECT_EQ(screen.at(c.width - 2, 3).ch, U'╮');
    EXPECT_EQ(screen.at(c.side_x - 3, 3).ch, U'╮') << "the map frame ends two columns before";
    EXPECT_EQ(cells_text(screen, c.side_x + 1, 3, 22), " THE CRYSTAL SEEKERS ?");
    EXPECT_EQ(view.last_width, c.width);
    EXPECT_EQ(view.last_height, 30);
  }
}

TEST(View, StatusNamesModeAndMotionAndEndsThreeColumnsFromTheEdge) {
  struct Case {
    bool pixels;
    bool still;
    std::string status;
  };
  for (const Case& c :
       {Case{false, false, "GLYPHS  |  LIVING"}, Case{true, false, "PIXELS  |  LIVING"},
        Case{false, true, "GLYPHS  |  STILL"}, Case{true, true, "PIXELS  |  STILL"}}) {
    SCOPED_TRACE(c.status);
    View view;
    view.pixels = c.pixels;
    view.still = c.still;
    Screen screen = prototype_frame(100, 30, Game::authored(), view);
    auto length = static_cast<std::int32_t>(c.status.size());
    EXPECT_EQ(cells_text(screen, 100 - 2 - length, 29, length), c.status);
    EXPECT_EQ(screen.at(97, 29).fg, palette::sky);
    EXPECT_EQ(screen.at(98, 29).ch, U' ');
  }
}

TEST(View, FieldNotesShowTheLastTwoLinesInTwoRowsEach) {
  struct Case {
    std::vector<std::string> log;
    std::vector<std::string> rows;
    Rgb upper_colour;
  };
  const std::string long_line = std::string(50, 'a') + " " + std::string(50, 'b');
  const std::vector<Case> cases{
      {{}, {"", "", "", ""}, palette::ink},
      {{"Only line."}, {"Only line.", "", "", ""}, palette::ink},
      {{"First.", "Second.", "Third."}, {"Second.", "", "Third.", ""}, palette::dim},
      {{long_line}, {std::string(50, 'a'), std::string(50, 'b'), "", ""}, palette::ink},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows[0]);
    Game game = Game::authored();
    game.log_lines.assign(c.log.begin(), c.log.end());
    Screen screen = prototype_frame(100, 30, game);
    EXPECT_EQ(cells_text(screen, 1, 22, 16), "?? FIELD NOTES ?");
    std::vector<std::string> notes;
    for (std::int32_t y = 23; y <= 26; ++y) notes.push_back(cells_text(screen, 3, y, 94));
    EXPECT_EQ(notes, c.rows);
    EXPECT_EQ(screen.at(3, 23).fg, c.upper_colour);
    EXPECT_EQ(screen.at(3, 25).fg, palette::ink);
  }
}

// ---------------------------------------------------------------------------
// The side panel of the prototype.

TEST(View, SeekerPanelListsTheThreeVoices) {
  Game game = Game::authored();
  game.found = {Crystal::SapphireOfSilence};
  game.turn = 7;
  Screen screen = prototype_frame(90, 30, game);
  std::int32_t left = 64 + 1;
  EXPECT_EQ(cells_text(screen, 64 + 11, 5, 3), "PIP");
  EXPECT_EQ(cells_text(screen, 64 + 11, 6, 12), "Goblin scout");
  EXPECT_EQ(cells_text(screen, 64 + 11, 8, 6), "Step 7");
  EXPECT_EQ(cells_text(screen, left, 11, 16), "THE THREE VOICES");
  EXPECT_EQ(screen.at(left, 13).ch, U'◇');
  EXPECT_EQ(screen.at(left, 13).fg, palette::slate);
  EXPECT_EQ(cells_text(screen, 64 + 4, 13, 14), "THORNS     ...");
  EXPECT_EQ(screen.at(left, 14).ch, U'◆');
  EXPECT_EQ(screen.at(left, 14).fg, palette::sapphire_of_silence);
  EXPECT_EQ(cells_text(screen, 64 + 4, 14, 16), "SILENCE    found");
  EXPECT_EQ(screen.at(64 + 4, 14).fg, palette::sapphire_of_silence);
  EXPECT_EQ(screen.at(64 + 15, 14).fg, palette::dim);
  EXPECT_EQ(cells_text(screen, 64 + 4, 15, 14), "ECHOES     ...");
  // The portrait is the goblin's: its top row has body pixels at columns 1 and 6.
  EXPECT_EQ(screen.at(left + 1, 5).ch, U'▀');
  EXPECT_EQ(screen.at(left + 1, 5).fg, palette::green);
  EXPECT_EQ(screen.at(left, 5).fg, kFrameBackground);
}

TEST(View, SeekerObjectiveAndAreaNeedTallTerminals) {
  struct Case {
    std::uint16_t height;
    bool objective;
    bool description;
  };
  for (const Case& c : {Case{30, false, false}, Case{33, false, false}, Case{34, true, false},
                        Case{38, true, false}, Case{39, true, true}}) {
    SCOPED_TRACE(c.height);
    Screen screen = prototype_frame(90, c.height);
    EXPECT_EQ(cells_text(screen, 65, 17, 22), c.objective ? "Follow the crystal" : "");
    // Below 34 rows, row 21 holds the inspect hint or the panel's border.
    if (c.height >= 34) {
      EXPECT_EQ(cells_text(screen, 65, 21, 22), c.description ? "Silver leaves keep" : "");
    }
  }
}

TEST(View, SeekerObjectiveFollowsTheCrystalsAndTheWaystone) {
  struct Case {
    std::size_t found;
    bool awakened;
    std::string first_line;
    Rgb colour;
  };
  for (const Case& c : {Case{2, false, "Follow the crystal songs", palette::ink},
                        Case{3, false, "Return to the waystone in", palette::ink},
                        Case{3, true, "The waystone is awake. The", palette::green}}) {
    SCOPED_TRACE(c.first_line);
    Game game = Game::authored();
    game.found.assign(
        {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence, Crystal::AmethystOfEchoes});
    game.found.resize(c.found);
    game.awakened = c.awakened;
    Screen screen = prototype_frame(120, 40, game);
    EXPECT_EQ(cells_text(screen, 91, 17, 26), c.first_line);
    EXPECT_EQ(screen.at(91, 17).fg, c.colour);
  }
}

// The idle hint is pinned by the golden frame of the start.
TEST(View, InspectHintNamesTheInteractionTarget) {
  Game game = Game::authored();
  game.x = 14;  // Next to Moss at (14, 25).
  game.y = 24;
  game.update_visibility();
  Screen near = prototype_frame(90, 30, game);
  EXPECT_EQ(cells_text(near, 65, 18, 10), "E  INSPECT");
  EXPECT_EQ(near.at(65, 18).fg, palette::gold);
  // "Moss, your fellow goblin" is cut to the panel's 22 columns.
  EXPECT_EQ(cells_text(near, 65, 19, 23), "Moss, your fellow gobl");
}

// ---------------------------------------------------------------------------
// The side panel of the expedition.

TEST(View, DelverPanelShowsTheRun) {
  Expedition expedition(0);
  expedition.score = 17;
  expedition.turns = 42;
  expedition.floor = 1;
  Screen screen = delve_frame(expedition, 120, 40);
  EXPECT_EQ(cells_text(screen, 91, 5, 12), "HUMAN DELVER");
  EXPECT_EQ(screen.at(91, 5).fg, palette::pale);
  EXPECT_EQ(cells_text(screen, 91, 7, 11), "Depth 2 / 3");
  EXPECT_EQ(cells_text(screen, 91, 9, 20), "Crystal score: 17");
  EXPECT_EQ(cells_text(screen, 91, 11, 20), "Charge: 8 / 12");
  EXPECT_EQ(screen.at(91, 11).fg, palette::sky);
  EXPECT_EQ(cells_text(screen, 91, 14, 20), "Actions: 42 / 512");
  EXPECT_EQ(cells_text(screen, 91, 18, 26), "F  Finish this attempt");
  EXPECT_EQ(cells_text(screen, 91, 21, 26), "Digging spends charge.");
  EXPECT_EQ(cells_text(screen, 3, 3, 21), " The Sleeping Court ?");
  // The delver's portrait stands at the panel's right, hair first.
  EXPECT_EQ(screen.at(120 - 11 + 2, 5).ch, U'▀');
  EXPECT_EQ(screen.at(120 - 11 + 2, 5).fg, (Rgb{90, 64, 52}));
}

TEST(View, ChargeBarTurnsGreenFromThreeCharges) {
  struct Case {
    std::uint8_t charge;
    std::string bar;
    Rgb colour;
  };
  for (const Case& c :
       {Case{0, "[............]", palette::gold}, Case{2, "[||..........]", palette::gold},
        Case{3, "[|||.........]", palette::green}, Case{12, "[||||||||||||]", palette::green}}) {
    SCOPED_TRACE(c.bar);
    Expedition expedition(0);
    expedition.charge = c.charge;
    Screen screen = delve_frame(expedition, 120, 40);
    EXPECT_EQ(cells_text(screen, 91, 12, 14), c.bar);
    EXPECT_EQ(screen.at(91, 12).fg, c.colour);
    EXPECT_EQ(screen.at(104, 12).fg, c.colour);
  }
}

TEST(View, DelverHintNamesWhatLiesUnderfoot) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    bool sealed;
    std::string hint;
    Rgb hint_colour;
    std::string exit;
  };
  // Seed 0, floor 0: a flask at (3, 3), the down portal at (2, 10).
  for (const Case& c :
       {Case{2, 2, false, "Bump veins to dig", palette::ink, "F  Finish this attempt"},
        Case{3, 3, false, "E  Drink ember flask", palette::ink, "F  Finish this attempt"},
        Case{2, 10, false, "E  Descend", palette::ink, "F  Finish this attempt"},
        Case{-4, 40, false, "Bump veins to dig", palette::ink, "F  Finish this attempt"},
        Case{3, 3, true, "EXPEDITION SEALED", palette::gold, "Q  Exit safely"}}) {
    SCOPED_TRACE(c.hint);
    Expedition expedition(0);
    expedition.x = c.x;
    expedition.y = c.y;
    Screen screen = delve_frame(expedition, 90, 34, c.sealed);
    EXPECT_EQ(cells_text(screen, 65, 16, 22), c.hint);
    EXPECT_EQ(screen.at(65, 16).fg, c.hint_colour);
    EXPECT_EQ(cells_text(screen, 65, 18, 22), c.exit);
    EXPECT_EQ(screen.at(65, 18).fg, palette::dim);
    // The rules text needs 35 rows.
    EXPECT_EQ(cells_text(screen, 65, 21, 22), "");
  }

  Expedition upper(0);
  upper.floor = 1;
  Screen screen = delve_frame(upper, 90, 35);
  EXPECT_EQ(cells_text(screen, 65, 16, 22), "E  Ascend");
  EXPECT_EQ(cells_text(screen, 65, 21, 22), "Digging spends charge.");
}

}  // namespace
}  // namespace burrowlight::render
