#include "app/session.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string_view>
#include <tuple>
#include <vector>

namespace burrowlight::expedition {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kFirstLine = "Every floor has a way back. Remember where you came from.";
const std::string kPracticeLine = "Practice world: the same seed recreates the same expedition.";
const ApplyError kSealed{
    ApplyError::Refused{"This expedition is sealed. Start another with --new."}};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// A save write replaces the file by renaming a new one over it, so an unchanged inode
// means that nothing was written.
ino_t inode_of(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_ino;
}

Action word(std::string_view text) {
  std::optional<Action> action = Action::parse(text);
  if (!action) ADD_FAILURE() << "not an action word: " << text;
  return action.value_or(Action{Wait{}});
}

// The reason an action that must be refused was refused.
ApplyError refusal(Session& session, std::string_view text) {
  auto event = session.apply(word(text));
  if (event) ADD_FAILURE() << text << " was accepted";
  return event ? ApplyError{ApplyError::Refused{"(accepted)"}} : event.error();
}

Lines log_of(const Session& session) {
  return {session.game.log_lines.begin(), session.game.log_lines.end()};
}

using Props = std::vector<std::tuple<std::int32_t, std::int32_t, PropKind, bool>>;

// Everything a rendered world holds, in a form that compares and prints.
auto contents(const World& world) {
  Props props;
  for (const Prop& prop : world.props) props.emplace_back(prop.x, prop.y, prop.kind, prop.active);
  return std::tuple(world.width, world.height, world.tiles, props);
}

// A fresh directory per test, on memory when the system has one: these tests are about
// the session, and some of them write hundreds of saves.
class SessionTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::path(testing::TempDir());
    std::string pattern = (base / "burrowlight-session-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    directory_ = root_ / "saves";
    save_ = directory_ / "expedition.json";
  }
  void TearDown() override { fs::remove_all(root_); }

  Session open_session(bool new_expedition, std::optional<std::uint64_t> seed) {
    auto session = open(save_.string(), new_expedition, seed);
    if (!session) {
      ADD_FAILURE() << session.error().text();
      std::abort();
    }
    return std::move(*session);
  }
  Session practice(std::uint64_t seed) { return open_session(true, seed); }
  Session reopen() { return open_session(false, std::nullopt); }

  // A session on a record made up by the test, so that long runs need not be played.
  Result<Session> session_of(const Record& record) {
    auto opened = Save::open(save_.string(), true, record.seed);
    if (!opened) return std::unexpected(opened.error());
    return Session::create(std::move(opened->first), record);
  }

  void play(Session& session, const std::vector<std::string_view>& words) {
    for (std::string_view text : words) {
      ASSERT_TRUE(session.apply(word(text))) << text << " at turn " << session.expedition.turns;
    }
  }

  fs::path root_;
  fs::path directory_;
  fs::path save_;
};

TEST_F(SessionTest, AFreshSaveLogsItsGreetingAndAPracticeSaveSaysSo) {
  const std::string open_line =
      "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its current "
      "score.";
  EXPECT_EQ(log_of(open_session(false, std::nullopt)), (Lines{kFirstLine, open_line}));
  EXPECT_EQ(log_of(practice(7)), (Lines{kFirstLine, open_line, kPracticeLine}));
}

TEST_F(SessionTest, ARefusedActionLeavesTheFileTheLogAndTheTurnsAlone) {
  Session session = practice(0);
  play(session, {"north"});
  const std::string bytes = read_file(save_);
  const ino_t inode = inode_of(save_);
  const Lines log = log_of(session);
  const auto explored = session.explored;

  EXPECT_EQ(refusal(session, "north"),
            (ApplyError{ApplyError::Refused{"The destination is blocked."}}));
  EXPECT_EQ(read_file(save_), bytes);
  EXPECT_EQ(inode_of(save_), inode);
  EXPECT_EQ(log_of(session), log);
  EXPECT_EQ(session.expedition.turns, 1u);
  EXPECT_EQ(session.game.turn, 1u);
  EXPECT_EQ(session.explored, explored);
}

TEST_F(SessionTest, EveryEventWithALineLogsItAndEachFloorKeepsItsOwnMemory) {
  Session session = practice(0);
  const std::vector<std::pair<std::vector<std::string_view>, std::string_view>> steps = {
      {{"east", "south", "interact"}, "Ember returns to the drill: +4 charge."},
      {{"east", "east", "dig-east"}, "The vein breaks. Spent 2 charge."},
      {{"east", "east", "north", "north"}, "A crystal sings: +1 score. Saved."},
      {{"south", "south", "east",  "east",  "east",  "east",  "dig-east",
        "east",  "east",  "east",  "east",  "south", "south", "dig-south",
        "south", "south", "south", "south", "west",  "west",  "dig-west",
        "west",  "west",  "west",  "west",  "west",  "west",  "dig-west",
        "west",  "west",  "west",  "west",  "west",  "south", "portal"},
       "Depth 2. The passage behind you remains open."},
  };
  for (const auto& [words, last_line] : steps) {
    play(session, words);
    EXPECT_EQ(session.game.log_lines.back(), last_line);
  }
  EXPECT_EQ(session.expedition.floor, 1u);
  EXPECT_EQ(session.expedition.score, 1u);
  const auto upper_floor = session.explored[0];
  EXPECT_EQ(session.game.discovered,
            std::vector<std::uint8_t>(session.explored[1].begin(), session.explored[1].end()));

  play(session, {"portal"});
  EXPECT_EQ(session.game.log_lines.back(), "Depth 1. The passage behind you remains open.");
  EXPECT_EQ(session.explored[0], upper_floor);
  EXPECT_EQ(session.game.discovered,
            std::vector<std::uint8_t>(upper_floor.begin(), upper_floor.end()));
  EXPECT_EQ(std::pair(session.game.x, session.game.y), std::pair(2, 10));
  EXPECT_EQ(session.game.turn, session.expedition.turns);
  EXPECT_EQ(contents(session.game.world), contents(world(session.expedition)));
}

TEST_F(SessionTest, ReopeningRebuildsTheStateTheMapMemoryAndTheWorld) {
  // Random play over many seeds: every accepted action may move the player and so add
  // to the memory, which only a replay with a refresh after each action can rebuild.
  // The log is the one part a reopened session starts afresh.
  const auto lasting = [](const Session& live) {
    nlohmann::json observation = live.observation();
    observation.erase("messages");
    return std::tuple(live.expedition, live.explored, live.game.visible, contents(live.game.world),
                      observation);
  };
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> code(1, 11);
  for (std::uint64_t seed = 0; seed < 40; ++seed) {
    SCOPED_TRACE(seed);
    std::optional<Session> session = practice(seed * 0x9E3779B97F4A7C15ULL);
    for (int attempt = 0; attempt < 120; ++attempt) {
      auto event = session->apply(*Action::from_code(static_cast<std::uint8_t>(code(random))));
      if (!event) {
        ASSERT_TRUE(std::holds_alternative<ApplyError::Refused>(event.error().kind));
      }
    }
    const auto before = lasting(*session);
    // The lock is the process's own too: the old session must be gone first.
    session.reset();
    session = reopen();
    EXPECT_EQ(lasting(*session), before);
  }
}

TEST_F(SessionTest, TheLastActionLogsItsLineThenTheLimitAndTheNextIsRefused) {
  Record record = Record::practice(0);
  record.actions = {4, 2};  // east, south: onto the flask at (3, 3)
  record.actions.resize(511, 11);
  auto opened = session_of(record);
  ASSERT_TRUE(opened) << opened.error().text();
  Session& session = *opened;
  EXPECT_EQ(session.observation()["legal_actions"],
            nlohmann::json({"look", "save", "finish", "quit", "north", "south", "west", "east",
                            "interact", "wait"}));

  play(session, {"interact"});
  EXPECT_EQ(session.expedition.turns, 512u);
  const Lines log = log_of(session);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "Ember returns to the drill: +4 charge.");
  EXPECT_EQ(log.back(), "Action limit reached. Press F to seal your result; Q saves and exits.");
  EXPECT_EQ(session.observation()["legal_actions"],
            nlohmann::json({"look", "save", "finish", "quit"}));

  EXPECT_EQ(refusal(session, "wait"),
            (ApplyError{ApplyError::Refused{"This expedition has reached its action limit."}}));
  EXPECT_EQ(log_of(session), log);
  ASSERT_TRUE(session.finish());
  EXPECT_TRUE(session.record.finished);
}

TEST_F(SessionTest, FinishSealsOnceAndThenRefusesEveryAction) {
  Session session = practice(0);
  play(session, {"east", "south", "interact"});
  ASSERT_TRUE(session.finish());
  EXPECT_TRUE(session.game.awakened);
  EXPECT_TRUE(nlohmann::json::parse(read_file(save_))["finished"]);
  EXPECT_EQ(session.game.log_lines.back(),
            "Expedition finished with 0 score. Your progress is saved; start another with --new.");

  const ino_t inode = inode_of(save_);
  const Lines log = log_of(session);
  ASSERT_TRUE(session.finish());
  for (std::string_view text : kActionWords) EXPECT_EQ(refusal(session, text), kSealed);
  EXPECT_EQ(inode_of(save_), inode);
  EXPECT_EQ(log_of(session), log);
}

TEST_F(SessionTest, AReopenedSealedSaveStartsSealed) {
  ASSERT_TRUE(practice(0).finish());
  Session session = reopen();
  EXPECT_TRUE(session.game.awakened);
  EXPECT_EQ(
      log_of(session),
      (Lines{kFirstLine, "Expedition sealed. Your history is saved; start another with --new.",
             kPracticeLine}));
  EXPECT_EQ(refusal(session, "east"), kSealed);
}

TEST_F(SessionTest, AFailedWriteChangesNothingAndTheActionCanBeRetried) {
  Session session = practice(0);
  play(session, {"east"});
  const auto before = std::tuple(session.record, session.expedition, log_of(session),
                                 session.explored, session.game.awakened, session.game.y);

  // A regular file in the place of the save's directory: not even the temporary file
  // of a write can be created. The real directory is kept aside.
  fs::rename(directory_, root_ / "aside");
  std::ofstream(directory_.string()) << "not a directory";
  EXPECT_EQ(refusal(session, "south"),
            (ApplyError{ApplyError::Save{burrowlight::Error::from_errno(ENOTDIR)}}));
  auto unsealed = session.finish();
  ASSERT_FALSE(unsealed);
  EXPECT_EQ(unsealed.error().text(), "Not a directory (os error 20)");
  EXPECT_EQ(std::tuple(session.record, session.expedition, log_of(session), session.explored,
                       session.game.awakened, session.game.y),
            before);

  fs::remove(directory_);
  fs::rename(root_ / "aside", directory_);
  play(session, {"south"});
  EXPECT_EQ(session.game.y, 3);
  EXPECT_EQ(nlohmann::json::parse(read_file(save_))["actions"], nlohmann::json({4, 2}));
}

TEST_F(SessionTest, ARecordThatDoesNotReplayIsAnErrorAndReleasesTheLock) {
  Record record = Record::practice(0);
  record.actions = {1, 1};
  auto session = session_of(record);
  ASSERT_FALSE(session);
  EXPECT_EQ(session.error().text(), "Invalid saved action at step 2: The destination is blocked.");
  EXPECT_TRUE(Save::open(save_.string(), false, std::nullopt));
}

TEST_F(SessionTest, TheLogKeepsTheLastEightLines) {
  Session session = practice(0);
  for (int line = 1; line <= 10; ++line) session.log("line " + std::to_string(line));
  EXPECT_EQ(log_of(session), (Lines{"line 3", "line 4", "line 5", "line 6", "line 7", "line 8",
                                    "line 9", "line 10"}));
}

TEST_F(SessionTest, AnArrowDigsOnlyIntoATrueVein) {
  Session session = practice(0);
  struct Case {
    std::int32_t x;
    std::int32_t y;
    Direction direction;
    Action expected;
  };
  const std::vector<Case> cases = {
      {2, 2, Direction::North, Action{Move{Direction::North}}},  // ground
      {1, 1, Direction::West, Action{Move{Direction::West}}},    // wall
      {5, 3, Direction::East, Action{Dig{Direction::East}}},     // soft vein
      {15, 5, Direction::South, Action{Dig{Direction::South}}},  // soft vein in the wall row
      {0, 5, Direction::West, Action{Move{Direction::West}}},    // off the floor's edge
      {18, 12, Direction::South, Action{Move{Direction::South}}},
  };
  for (const Case& test : cases) {
    session.expedition.x = test.x;
    session.expedition.y = test.y;
    EXPECT_EQ(session.human_move(test.direction), test.expected) << test.x << "," << test.y;
  }

  // A hard vein the player has never seen: the view model knows nothing of it.
  session.expedition.x = 2;
  session.expedition.y = 2;
  session.expedition.cells[2 * kFloorWidth + 3] = Cell::HardVein;
  std::ranges::fill(session.game.visible, 0);
  std::ranges::fill(session.game.discovered, 0);
  EXPECT_EQ(session.human_move(Direction::East), (Action{Dig{Direction::East}}));
}

TEST(ExpeditionWorld, AFloorOfWallsShowsOnlyItsTenDecorations) {
  Expedition walls(0);
  std::fill_n(walls.cells.begin(), kCellsPerFloor, Cell::Wall);
  using Tag = PropKind::Tag;
  const Props decorations = {
      {3, 0, Tag::StainedGlassWindow, true},  {9, 0, Tag::StainedGlassWindow, true},
      {15, 0, Tag::StainedGlassWindow, true}, {0, 3, Tag::OldBookshelves, true},
      {18, 3, Tag::CandleStand, true},        {0, 9, Tag::SealedSarcophagus, true},
      {18, 9, Tag::CandleStand, true},        {3, 12, Tag::FadedRoyalBanner, true},
      {9, 12, Tag::FadedRoyalBanner, true},   {15, 12, Tag::FadedRoyalBanner, true},
  };
  EXPECT_EQ(contents(world(walls)),
            std::tuple(19, 13, std::vector<Tile>(kCellsPerFloor, Tile::CastleWall), decorations));
}

TEST(ExpeditionWorld, OpenCellsTakeTheGroundOfTheirZone) {
  Expedition open_floor(0);
  std::fill_n(open_floor.cells.begin(), kCellsPerFloor, Cell::Ground);
  const World rendered = world(open_floor);
  // Tile codes by column: rows 0-5 are marble, walnut, garden and crypt; rows 6-12 are
  // moss, crimson, crypt and garden.
  const std::string upper = "5555557777776666668";
  const std::string lower = "3333339999998888886";
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      EXPECT_EQ(static_cast<int>(rendered.tile(x, y)), (y < 6 ? upper : lower)[x] - '0')
          << x << "," << y;
    }
  }
  // Only the three ground decorations stand on an open floor.
  using Tag = PropKind::Tag;
  EXPECT_EQ(std::get<3>(contents(rendered)), (Props{{16, 1, Tag::GlowingMushrooms, true},
                                                    {1, 11, Tag::GlowingMushrooms, true},
                                                    {4, 11, Tag::MoonFern, true}}));
}

TEST(ExpeditionWorld, EachFloorShowsItsOwnCrystalAndTheCellsAsProps) {
  Expedition expedition(0);
  const Crystal crystals[] = {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence,
                              Crystal::AmethystOfEchoes};
  for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
    expedition.floor = floor;
    const World rendered = world(expedition);
    auto crystal = std::ranges::find_if(
        rendered.props, [](const Prop& prop) { return prop.x == 7 && prop.y == 1; });
    ASSERT_NE(crystal, rendered.props.end()) << floor;
    EXPECT_EQ(crystal->kind, PropKind::of_crystal(crystals[floor]));
    EXPECT_EQ(rendered.tile(7, 1), Tile::WalnutFloor);
    EXPECT_EQ(rendered.tile(6, 3), Tile::CaveRock);
  }
  expedition.floor = 0;
  const World rendered = world(expedition);
  EXPECT_TRUE(std::ranges::is_sorted(rendered.props, {},
                                     [](const Prop& prop) { return std::pair(prop.y, prop.x); }));
  EXPECT_EQ(rendered.props.front().kind, PropKind(PropKind::Tag::StainedGlassWindow));
}

}  // namespace
}  // namespace burrowlight::expedition
