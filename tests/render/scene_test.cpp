// What each game hands the renderer: the scene of a run's current floor and of the
// prototype, and the name each expedition floor's map carries.

#include "render/scene.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/expedition_run.hpp"
#include "core/expedition_world.hpp"
#include "core/game.hpp"
#include "render/expedition_presentation.hpp"
#include "render/prototype_presentation.hpp"

namespace burrowlight::render {
namespace {

using expedition::Action;
// Inside a test body the bare name would be the test fixture's own Run().
using ExpeditionRun = expedition::Run;

// From seed 0's entrance down the first portal, then a step back up it.
const std::vector<std::string_view> kDownAndUp = {
    "east",     "south", "interact", "east",  "east",   "dig-east", "east",     "east",
    "north",    "north", "south",    "south", "east",   "east",     "east",     "east",
    "dig-east", "east",  "east",     "east",  "east",   "south",    "south",    "dig-south",
    "south",    "south", "south",    "south", "west",   "west",     "dig-west", "west",
    "west",     "west",  "west",     "west",  "west",   "dig-west", "west",     "west",
    "west",     "west",  "west",     "south", "portal", "portal"};

ExpeditionRun played(std::size_t actions, bool sealed) {
  ExpeditionRun run = ExpeditionRun::fresh(Record::practice(0));
  for (std::size_t index = 0; index < actions; ++index) {
    const auto action = Action::parse(kDownAndUp[index]);
    if (!action || !run.apply(*action)) ADD_FAILURE() << "refused: " << kDownAndUp[index];
  }
  if (sealed) run.finish();
  return run;
}

std::vector<std::string> log_texts(const ExpeditionRun& run) {
  std::vector<std::string> lines;
  for (std::size_t index = 0; index < run.log_lines().size(); ++index) {
    lines.push_back(run.log_lines()[index].text());
  }
  return lines;
}

TEST(ExpeditionScene, ShowsTheCurrentFloorItsMemoryAndTheRunsLog) {
  struct Case {
    std::string_view name;
    std::size_t actions;
    bool sealed;
    std::size_t floor;
    std::string_view place;
  };
  const std::size_t down = kDownAndUp.size() - 1;
  for (const Case& c : {
           Case{"the start", 0, false, 0, "The Velvet Vestibule"},
           Case{"a few steps in", 6, false, 0, "The Velvet Vestibule"},
           Case{"one floor down", down, false, 1, "The Sleeping Court"},
           Case{"back up", down + 1, false, 0, "The Velvet Vestibule"},
           Case{"sealed below", down, true, 1, "The Sleeping Court"},
       }) {
    SCOPED_TRACE(c.name);
    const ExpeditionRun run = played(c.actions, c.sealed);
    ASSERT_EQ(run.expedition().floor, c.floor);
    const Scene scene = expedition_scene(run);
    EXPECT_EQ(scene.place, c.place);
    EXPECT_EQ(scene.world, expedition::world(run.expedition()));
    EXPECT_EQ(scene.x, run.expedition().x);
    EXPECT_EQ(scene.y, run.expedition().y);
    EXPECT_EQ(scene.log, log_texts(run));
    EXPECT_FALSE(scene.awakened);
    ASSERT_EQ(scene.visible.size(), kCellsPerFloor);
    ASSERT_EQ(scene.discovered.size(), kCellsPerFloor);
    std::size_t in_view = 0;
    for (std::size_t cell = 0; cell < kCellsPerFloor; ++cell) {
      EXPECT_EQ(scene.visible[cell] == 1, run.in_view().contains(cell)) << cell;
      EXPECT_EQ(scene.discovered[cell] == 1, run.explored(c.floor).contains(cell)) << cell;
      in_view += scene.visible[cell];
    }
    EXPECT_GT(in_view, 0u);
  }
}

TEST(ExpeditionScene, EachFloorHasItsNameAndAnyDeeperOneTheLast) {
  struct Case {
    std::size_t floor;
    std::string_view name;
  };
  for (const Case& c :
       {Case{0, "The Velvet Vestibule"}, Case{1, "The Sleeping Court"}, Case{2, "The Crown Below"},
        Case{3, "The Crown Below"}, Case{SIZE_MAX, "The Crown Below"}}) {
    EXPECT_EQ(floor_name(c.floor), c.name) << c.floor;
  }
}

TEST(PrototypeScene, NamesTheAreaPipStandsInAndCarriesTheGamesState) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    bool awakened;
  };
  for (const Case& c :
       {Case{12, 23, false}, Case{40, 23, false}, Case{70, 10, true}, Case{8, 23, true}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    Game game = Game::authored();
    game.x = c.x;
    game.y = c.y;
    game.awakened = c.awakened;
    game.log("one");
    game.log("two");
    const Scene scene = prototype_scene(game);
    EXPECT_EQ(scene.place, area_at(c.x, c.y).name);
    EXPECT_EQ(scene.world, game.world);
    EXPECT_EQ(scene.visible, game.visible);
    EXPECT_EQ(scene.discovered, game.discovered);
    EXPECT_EQ(scene.log, std::vector<std::string>(game.log_lines.begin(), game.log_lines.end()));
    EXPECT_EQ(std::pair(scene.x, scene.y), std::pair(c.x, c.y));
    EXPECT_EQ(scene.awakened, c.awakened);
  }
}

}  // namespace
}  // namespace burrowlight::render
