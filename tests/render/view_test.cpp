// Frame composition: the small-terminal notice, the panels of both games, the
// field notes, footer and status, the floating texts' lifecycle, and golden
// snapshots of whole frames.

#include "render/view.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/expedition_floors.hpp"
#include "core/game.hpp"
#include "render/palette.hpp"

namespace burrowlight {
namespace {

// The prop that an expedition cell shows, as the session furnishes a floor: the
// cell's own content, or the fixed furnishing of a few wall and ground cells.
std::optional<PropKind> floor_prop(Cell cell, std::int32_t x, std::int32_t y, std::size_t floor) {
  using Tag = PropKind::Tag;
  constexpr std::array<std::optional<Tag>, 8> kContents{
      std::nullopt, std::nullopt,    Tag::SoftVein,        Tag::HardVein,
      std::nullopt, Tag::EmberFlask, Tag::AscendingPortal, Tag::DescendingPortal};
  if (cell == Cell::Crystal) return PropKind::of_crystal(static_cast<Crystal>(floor));
  if (auto content = kContents[static_cast<std::size_t>(cell)]) return *content;
  bool wall = cell == Cell::Wall;
  if (wall && (y == 0 || y == 12) && (x == 3 || x == 9 || x == 15)) {
    return y == 0 ? Tag::StainedGlassWindow : Tag::FadedRoyalBanner;
  }
  if (wall && x == 0 && y == 3) return Tag::OldBookshelves;
  if (wall && x == 0 && y == 9) return Tag::SealedSarcophagus;
  if (wall && x == 18 && (y == 3 || y == 9)) return Tag::CandleStand;
  if (!wall && ((x == 16 && y == 1) || (x == 1 && y == 11))) return Tag::GlowingMushrooms;
  if (!wall && x == 4 && y == 11) return Tag::MoonFern;
  return std::nullopt;
}

// The rendered floor of an expedition, built here as the session builds it, so
// that the renderer's tests need nothing from the application layer.
World floor_world(const Expedition& expedition) {
  constexpr std::array<Tile, 6> kZones{Tile::MarbleFloor,   Tile::WalnutFloor,
                                       Tile::GardenMosaic,  Tile::CryptFlagstones,
                                       Tile::CrimsonRunner, Tile::MossAndGrass};
  World world = World::filled(kFloorWidth, kFloorHeight, Tile::CastleWall);
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      Cell cell = expedition.cell(x, y);
      if (cell == Cell::SoftVein || cell == Cell::HardVein) {
        world.set(x, y, Tile::CaveRock);
      } else if (cell != Cell::Wall) {
        world.set(x, y, kZones[static_cast<std::size_t>(y <= 5 ? x / 6 : 5 - x / 6)]);
      }
      if (auto kind = floor_prop(cell, x, y, expedition.floor)) {
        world.props.push_back({x, y, *kind, true});
      }
    }
  }
  return world;
}

Game expedition_game(const Expedition& expedition) {
  Game game = Game::from_world(floor_world(expedition), expedition.x, expedition.y);
  game.log("Every floor has a way back. Remember where you came from.");
  game.log(
      "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its "
      "current score.");
  return game;
}

// A frame of the prototype; `view` carries the presentation settings.
Screen prototype_frame(std::uint16_t width, std::uint16_t height,
                       const Game& game = Game::authored(), View view = View()) {
  return view.compose(game, std::nullopt, width, height);
}

// A frame of seed 0's first floor with the panels of `shown`.
Screen delve_frame(const Expedition& shown, std::uint16_t width, std::uint16_t height,
                   bool sealed = false) {
  View view;
  return view.compose(expedition_game(Expedition(0)), ExpeditionView{shown, sealed}, width, height);
}

std::vector<std::string> rows(const Screen& screen) {
  std::vector<std::string> result;
  for (std::int32_t y = 0; y < screen.height; ++y) result.push_back(screen.row_text(y));
  return result;
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The characters of the cells x .. x+count-1 of row y, trailing spaces dropped.
// Characters outside ASCII show as "?".
std::string cells_text(const Screen& screen, std::int32_t x, std::int32_t y, std::int32_t count) {
  std::string narrow;
  for (std::int32_t i = 0; i < count; ++i) {
    char32_t ch = screen.at(x + i, y).ch;
    narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
  }
  return trimmed(narrow);
}

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
    Screen screen = view.compose(Game::authored(), std::nullopt, c.width, c.height);
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
    Screen screen = view.compose(Game::authored(), std::nullopt, c.width, 30);
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
    view.on_expedition_event(c.event, 5, 6);
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
    view.on_expedition_event(quiet, 1, 1);
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
// Output.

TEST(View, IdenticalFramesWriteNothingTheSecondTime) {
  View view;
  Game game = Game::authored();
  StringOutput out;
  ASSERT_TRUE(view.draw_inner(game, std::nullopt, 100, 30, out));
  std::size_t first = out.bytes().size();
  EXPECT_GT(first, 100U * 30U);
  EXPECT_TRUE(out.bytes().starts_with("\x1b[?2026h\x1b[1;1H"));
  ASSERT_TRUE(view.draw_inner(game, std::nullopt, 100, 30, out));
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
  Result<void> result = view.draw_inner(Game::authored(), std::nullopt, 90, 30, out);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().text(), "Broken pipe (os error 32)");
  EXPECT_FALSE(view.previous.has_value());
}

// ---------------------------------------------------------------------------
// Golden frames: the characters of every row, then a hash of every colour. They
// pin the header, footer, panels and help overlay of both games at the start.

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
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << "missing snapshot " << path
                    << "; run with BURROWLIGHT_UPDATE_GOLDEN=1 to write it";
  std::stringstream expected;
  expected << file.rdbuf();
  EXPECT_EQ(actual.str(), expected.str()) << "snapshot " << name;
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
  expect_golden("prototype_glyphs_clock_120x40", view.compose(game, std::nullopt, 120, 40));
  view.help = true;
  expect_golden("prototype_help_120x40", view.compose(game, std::nullopt, 120, 40));
}

TEST(Golden, ExpeditionStartOfSeedZero) {
  Expedition expedition(0);
  Game game = expedition_game(expedition);
  View view;
  expect_golden("expedition_seed0_120x40",
                view.compose(game, ExpeditionView{expedition, false}, 120, 40));
  View pixels;
  pixels.pixels = true;
  pixels.zoom = 3;
  expect_golden("expedition_seed0_pixels_zoom3_120x40",
                pixels.compose(game, ExpeditionView{expedition, false}, 120, 40));
  view.help = true;
  expect_golden("expedition_help_120x40",
                view.compose(game, ExpeditionView{expedition, true}, 120, 40));
}

}  // namespace
}  // namespace burrowlight
