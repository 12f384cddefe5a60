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
#include <vector>

namespace burrowlight::expedition {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFirstLine = "Every floor has a way back. Remember where you came from.";
constexpr std::string_view kOpenLine =
    "Bump veins to dig. E uses a flask or portal underfoot. F ends this attempt at its current "
    "score.";
constexpr std::string_view kPracticeLine =
    "Practice world: the same seed recreates the same expedition.";
constexpr std::string_view kSealedLine =
    "Expedition sealed. Your history is saved; start another with --new.";
constexpr std::string_view kSealedRefusal = "This expedition is sealed. Start another with --new.";
constexpr std::string_view kLimitLine =
    "Action limit reached. Press F to seal your result; Q saves and exits.";

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

std::vector<std::string> log_of(const Session& session) {
  return {session.game.log_lines.begin(), session.game.log_lines.end()};
}

// The observation without the log, which is the one part a reopened session starts
// afresh.
nlohmann::json lasting_observation(const Session& session) {
  nlohmann::json observation = session.observation();
  observation.erase("messages");
  return observation;
}

void expect_same_world(const World& actual, const World& expected) {
  EXPECT_EQ(actual.width, expected.width);
  EXPECT_EQ(actual.height, expected.height);
  EXPECT_EQ(actual.tiles, expected.tiles);
  ASSERT_EQ(actual.props.size(), expected.props.size());
  for (std::size_t index = 0; index < actual.props.size(); ++index) {
    EXPECT_EQ(actual.props[index].x, expected.props[index].x);
    EXPECT_EQ(actual.props[index].y, expected.props[index].y);
    EXPECT_EQ(actual.props[index].kind, expected.props[index].kind);
    EXPECT_EQ(actual.props[index].active, expected.props[index].active);
  }
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

  // Makes the save's directory unusable: a regular file takes its place, so a save
  // write cannot even create its temporary file. The real directory is kept aside.
  void break_directory() {
    fs::rename(directory_, root_ / "aside");
    std::ofstream(directory_.string()) << "not a directory";
  }
  void repair_directory() {
    fs::remove(directory_);
    fs::rename(root_ / "aside", directory_);
  }

  void play(Session& session, std::initializer_list<std::string_view> words) {
    for (std::string_view text : words) {
      auto event = session.apply(word(text));
      ASSERT_TRUE(event) << text << " at turn " << session.expedition.turns;
    }
  }

  fs::path root_;
  fs::path directory_;
  fs::path save_;
};

TEST_F(SessionTest, AFreshSaveLogsItsGreetingAndAPracticeSaveSaysSo) {
  {
    Session normal = open_session(false, std::nullopt);
    EXPECT_EQ(log_of(normal),
              (std::vector<std::string>{std::string(kFirstLine), std::string(kOpenLine)}));
    EXPECT_FALSE(normal.game.awakened);
    EXPECT_EQ(normal.observation()["expedition_id"].get<std::string>().size(), 64u);
    EXPECT_EQ(normal.observation()["practice"], false);
  }
  Session practice_session = practice(7);
  EXPECT_EQ(log_of(practice_session),
            (std::vector<std::string>{std::string(kFirstLine), std::string(kOpenLine),
                                      std::string(kPracticeLine)}));
  EXPECT_EQ(practice_session.observation()["expedition_id"], nullptr);
  EXPECT_EQ(practice_session.observation()["practice"], true);
}

TEST_F(SessionTest, ARefusedActionLeavesTheFileTheLogAndTheTurnsAlone) {
  Session session = practice(0);
  play(session, {"north"});
  const std::string bytes = read_file(save_);
  const ino_t inode = inode_of(save_);
  const auto log = log_of(session);
  const auto explored = session.explored;

  auto bump = session.apply(word("north"));
  ASSERT_FALSE(bump);
  EXPECT_EQ(bump.error(), (ApplyError{ApplyError::Refused{"The destination is blocked."}}));
  EXPECT_EQ(read_file(save_), bytes);
  EXPECT_EQ(inode_of(save_), inode);
  EXPECT_EQ(log_of(session), log);
  EXPECT_EQ(session.expedition.turns, 1u);
  EXPECT_EQ(session.game.turn, 1u);
  EXPECT_EQ(session.explored, explored);
}

TEST_F(SessionTest, EveryEventWithALineLogsItAndEachFloorKeepsItsOwnMemory) {
  Session session = practice(0);
  struct Step {
    std::vector<std::string_view> words;
    std::string_view last_line;
  };
  const std::vector<Step> steps = {
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
  for (const Step& step : steps) {
    for (std::string_view text : step.words) {
      auto event = session.apply(word(text));
      ASSERT_TRUE(event) << text << " at turn " << session.expedition.turns;
    }
    EXPECT_EQ(session.game.log_lines.back(), step.last_line);
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
  EXPECT_EQ(session.game.x, 2);
  EXPECT_EQ(session.game.y, 10);
  EXPECT_EQ(session.game.turn, session.expedition.turns);
  expect_same_world(session.game.world, world(session.expedition));
}

TEST_F(SessionTest, ReopeningRebuildsTheStateTheMapMemoryAndTheWorld) {
  // Random play over many seeds: every accepted action may move the player and so add
  // to the memory, which only a replay with a refresh after each action can rebuild.
  std::mt19937_64 random(20240611);
  for (std::uint64_t seed = 0; seed < 40; ++seed) {
    std::optional<Session> session = practice(seed * 0x9E3779B97F4A7C15ULL);
    std::uniform_int_distribution<int> code(1, 11);
    for (int attempt = 0; attempt < 120; ++attempt) {
      auto action = Action::from_code(static_cast<std::uint8_t>(code(random)));
      auto event = session->apply(*action);
      if (!event) {
        ASSERT_TRUE(std::holds_alternative<ApplyError::Refused>(event.error().kind));
      }
    }
    const Expedition expedition = session->expedition;
    const auto explored = session->explored;
    const World rendered = session->game.world;
    const auto visible = session->game.visible;
    const nlohmann::json observation = lasting_observation(*session);
    // The lock is the process's own too: the old session must be gone first.
    session.reset();
    session = reopen();
    EXPECT_EQ(session->expedition, expedition) << "seed " << seed;
    EXPECT_EQ(session->explored, explored) << "seed " << seed;
    EXPECT_EQ(session->game.visible, visible) << "seed " << seed;
    expect_same_world(session->game.world, rendered);
    EXPECT_EQ(lasting_observation(*session), observation) << "seed " << seed;
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

  ASSERT_TRUE(session.apply(word("interact")));
  EXPECT_EQ(session.expedition.turns, 512u);
  const auto log = log_of(session);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "Ember returns to the drill: +4 charge.");
  EXPECT_EQ(log.back(), kLimitLine);
  EXPECT_EQ(session.observation()["legal_actions"],
            nlohmann::json({"look", "save", "finish", "quit"}));

  auto refused = session.apply(word("wait"));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(),
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
  const auto log = log_of(session);
  ASSERT_TRUE(session.finish());
  EXPECT_EQ(inode_of(save_), inode);
  EXPECT_EQ(log_of(session), log);
  for (std::string_view text : kActionWords) {
    auto refused = session.apply(word(text));
    ASSERT_FALSE(refused) << text;
    EXPECT_EQ(refused.error(), (ApplyError{ApplyError::Refused{std::string(kSealedRefusal)}}))
        << text;
  }
  EXPECT_EQ(inode_of(save_), inode);
  EXPECT_EQ(log_of(session), log);
}

TEST_F(SessionTest, AReopenedSealedSaveStartsSealed) {
  {
    Session session = practice(0);
    ASSERT_TRUE(session.finish());
  }
  Session session = reopen();
  EXPECT_TRUE(session.game.awakened);
  EXPECT_EQ(log_of(session),
            (std::vector<std::string>{std::string(kFirstLine), std::string(kSealedLine),
                                      std::string(kPracticeLine)}));
  auto refused = session.apply(word("east"));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), (ApplyError{ApplyError::Refused{std::string(kSealedRefusal)}}));
}

TEST_F(SessionTest, AFailedWriteChangesNothingAndTheActionCanBeRetried) {
  Session session = practice(0);
  play(session, {"east"});
  const Record record = session.record;
  const Expedition expedition = session.expedition;
  const auto log = log_of(session);
  const auto explored = session.explored;

  break_directory();
  auto failed = session.apply(word("south"));
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(),
            (ApplyError{ApplyError::Save{burrowlight::Error::from_errno(ENOTDIR)}}));
  auto unsealed = session.finish();
  ASSERT_FALSE(unsealed);
  EXPECT_EQ(unsealed.error().text(), "Not a directory (os error 20)");
  EXPECT_EQ(session.record, record);
  EXPECT_EQ(session.expedition, expedition);
  EXPECT_EQ(log_of(session), log);
  EXPECT_EQ(session.explored, explored);
  EXPECT_FALSE(session.game.awakened);
  EXPECT_EQ(session.game.y, 2);

  repair_directory();
  ASSERT_TRUE(session.apply(word("south")));
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
  session.game.log_lines.clear();
  for (int line = 1; line <= 10; ++line) session.log("line " + std::to_string(line));
  EXPECT_EQ(log_of(session), (std::vector<std::string>{"line 3", "line 4", "line 5", "line 6",
                                                       "line 7", "line 8", "line 9", "line 10"}));
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
  const World rendered = world(walls);
  EXPECT_EQ(rendered.width, 19);
  EXPECT_EQ(rendered.height, 13);
  EXPECT_EQ(rendered.tiles, std::vector<Tile>(kCellsPerFloor, Tile::CastleWall));
  struct Expected {
    std::int32_t x;
    std::int32_t y;
    PropKind kind;
  };
  const std::vector<Expected> expected = {
      {3, 0, PropKind::Tag::StainedGlassWindow},  {9, 0, PropKind::Tag::StainedGlassWindow},
      {15, 0, PropKind::Tag::StainedGlassWindow}, {0, 3, PropKind::Tag::OldBookshelves},
      {18, 3, PropKind::Tag::CandleStand},        {0, 9, PropKind::Tag::SealedSarcophagus},
      {18, 9, PropKind::Tag::CandleStand},        {3, 12, PropKind::Tag::FadedRoyalBanner},
      {9, 12, PropKind::Tag::FadedRoyalBanner},   {15, 12, PropKind::Tag::FadedRoyalBanner},
  };
  ASSERT_EQ(rendered.props.size(), expected.size());
  for (std::size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(rendered.props[index].x, expected[index].x) << index;
    EXPECT_EQ(rendered.props[index].y, expected[index].y) << index;
    EXPECT_EQ(rendered.props[index].kind, expected[index].kind) << index;
    EXPECT_TRUE(rendered.props[index].active);
  }
}

TEST(ExpeditionWorld, OpenCellsTakeTheGroundOfTheirZone) {
  Expedition open_floor(0);
  std::fill_n(open_floor.cells.begin(), kCellsPerFloor, Cell::Ground);
  const World rendered = world(open_floor);
  struct Case {
    std::int32_t x;
    std::int32_t y;
    Tile tile;
  };
  const std::vector<Case> cases = {
      {0, 0, Tile::MarbleFloor},      {5, 5, Tile::MarbleFloor},
      {6, 0, Tile::WalnutFloor},      {11, 5, Tile::WalnutFloor},
      {12, 0, Tile::GardenMosaic},    {17, 5, Tile::GardenMosaic},
      {18, 0, Tile::CryptFlagstones}, {18, 5, Tile::CryptFlagstones},
      {0, 6, Tile::MossAndGrass},     {5, 12, Tile::MossAndGrass},
      {6, 6, Tile::CrimsonRunner},    {11, 12, Tile::CrimsonRunner},
      {12, 6, Tile::CryptFlagstones}, {17, 12, Tile::CryptFlagstones},
      {18, 6, Tile::GardenMosaic},    {18, 12, Tile::GardenMosaic},
  };
  for (const Case& test : cases)
    EXPECT_EQ(rendered.tile(test.x, test.y), test.tile) << test.x << "," << test.y;
  // Only the three ground decorations stand on an open floor.
  ASSERT_EQ(rendered.props.size(), 3u);
  EXPECT_EQ(rendered.props[0].kind, PropKind(PropKind::Tag::GlowingMushrooms));
  EXPECT_EQ(rendered.props[1].kind, PropKind(PropKind::Tag::GlowingMushrooms));
  EXPECT_EQ(rendered.props[2].kind, PropKind(PropKind::Tag::MoonFern));
  EXPECT_EQ((std::pair{rendered.props[1].x, rendered.props[1].y}), (std::pair{1, 11}));
  EXPECT_EQ((std::pair{rendered.props[2].x, rendered.props[2].y}), (std::pair{4, 11}));
}

TEST(ExpeditionWorld, EachFloorShowsItsOwnCrystalAndTheCellsAsProps) {
  Expedition expedition(0);
  const std::vector<Crystal> crystals = {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence,
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
  std::vector<std::pair<std::int32_t, std::int32_t>> positions;
  for (const Prop& prop : rendered.props) positions.emplace_back(prop.x, prop.y);
  EXPECT_TRUE(std::ranges::is_sorted(positions, [](auto left, auto right) {
    return std::pair{left.second, left.first} < std::pair{right.second, right.first};
  }));
  EXPECT_EQ(rendered.props.front().kind, PropKind(PropKind::Tag::StainedGlassWindow));
}

}  // namespace
}  // namespace burrowlight::expedition
