// What the tmux test cannot see reliably: how the view follows the step shown (floating
// texts, the camera across floors), and that the replay's footer and help fit the
// smallest full frame of the game's renderer.

#include "replay/replay_keys.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/view_frames.hpp"
#include "replay/replay_controls.hpp"

namespace burrowlight::replay {
namespace {

using render::view_frames::trimmed;

terminal::Key character(char typed) { return terminal::Key::of_character(typed); }
terminal::Key key(render::KeyCode code) { return terminal::Key::of(code); }

// Seed 0 from the start to the first portal down, taken at step 45: the flask at step
// 3, a dig at step 6, a crystal at step 10.
Record walk_to_depth_two() {
  constexpr std::string_view kWords[] = {
      "east",     "south", "interact", "east",  "east",  "dig-east", "east",     "east",
      "north",    "north", "south",    "south", "east",  "east",     "east",     "east",
      "dig-east", "east",  "east",     "east",  "east",  "south",    "south",    "dig-south",
      "south",    "south", "south",    "south", "west",  "west",     "dig-west", "west",
      "west",     "west",  "west",     "west",  "west",  "dig-west", "west",     "west",
      "west",     "west",  "west",     "south", "portal"};
  Record record = Record::practice(0);
  for (std::string_view word : kWords)
    record.actions.push_back(expedition::Action::parse(word)->code());
  return record;
}

std::vector<std::string> float_texts(const render::View& view) {
  std::vector<std::string> texts;
  for (const render::Float& rising : view.floats) texts.push_back(rising.text);
  return texts;
}

TEST(ReplayKeys, TheViewFollowsTheStepShownAsItFollowedTheGame) {
  const Timeline timeline = Timeline::of(walk_to_depth_two());
  Player player(timeline.last());
  render::View view;
  view.recenter = false;
  const auto press = [&](const terminal::Key& pressed) {
    handle_replay_key(pressed, timeline, player, view);
  };

  for (int step = 0; step < 3; ++step) press(character('l'));
  EXPECT_EQ(float_texts(view), std::vector<std::string>{"+4 CHARGE"});
  for (int step = 0; step < 3; ++step) press(character('.'));
  EXPECT_EQ(float_texts(view), (std::vector<std::string>{"+4 CHARGE", "-2"}));
  EXPECT_EQ(std::pair(view.floats.back().x, view.floats.back().y), std::pair(5, 3))
      << "a dig leaves the player where it stood";

  // Back, the texts of the steps undone go; the floor is the same, so the camera stays.
  press(key(render::KeyCode::Left));
  EXPECT_EQ(player.step(), 5U);
  EXPECT_TRUE(view.floats.empty());
  EXPECT_FALSE(view.recenter);

  // The last step is on the second floor: the camera starts afresh there, and again
  // back on the first.
  press(key(render::KeyCode::End));
  EXPECT_EQ(player.step(), 45U);
  EXPECT_TRUE(view.recenter);
  view.recenter = false;
  press(key(render::KeyCode::Left));
  EXPECT_TRUE(view.recenter);
  view.recenter = false;
  press(key(render::KeyCode::Right));
  EXPECT_TRUE(view.recenter) << "the portal, stepped onto, re-centres as in the game";
  EXPECT_TRUE(view.floats.empty());

  // Playing from the start shows every step it passes.
  press(key(render::KeyCode::Home));
  press(character(' '));
  play_on(0.5F, timeline, player, view);
  play_on(0.25F, timeline, player, view);
  EXPECT_EQ(player.step(), 3U);
  EXPECT_EQ(float_texts(view), std::vector<std::string>{"+4 CHARGE"});
}

// The smallest full frame still holds the whole key line, and the sealed run shows as
// the game showed it after F.
TEST(ReplayControls, TheGamesRendererDrawsTheReplaysFooterAndHelp) {
  Record sealed = Record::practice(0);
  sealed.actions = {4, 2, 9};
  sealed.finished = true;
  const Timeline timeline = Timeline::of(sealed);
  Player player(timeline.last());
  player.to_last();
  const expedition::Run& run = timeline.at(player.step()).run;
  const std::string notes = footer_notes(player, timeline);
  render::View view;
  const auto frame = [&] {
    return render::view_frames::rows(
        view.compose(render::expedition_scene(run),
                     render::expedition_presentation(render::ExpeditionView{run.expedition(), true},
                                             render::Controls{kFooterKeys, notes, kReplayGuide}),
                     90, 30));
  };

  const std::vector<std::string> rows = frame();
  EXPECT_EQ(trimmed(rows[28]), "  " + std::string(kFooterKeys));
  // The status ends three columns from the right edge, as in the game.
  std::string status_row = "  " + notes;
  status_row.resize(90 - 2 - 17, ' ');
  EXPECT_EQ(trimmed(rows[29]), status_row + "GLYPHS  |  LIVING");
  EXPECT_NE(rows[14].find("Actions: 3 / 512"), std::string::npos);
  EXPECT_NE(rows[16].find("EXPEDITION SEALED"), std::string::npos);

  view.help = true;
  const std::vector<std::string> help = frame();
  EXPECT_NE(help[3].find("WATCHING A SAVED EXPEDITION"), std::string::npos);
  EXPECT_NE(help[13].find("Home / End               The first step / the last step"),
            std::string::npos);
  EXPECT_NE(help[23].find("Press ? or Enter to return to the replay."), std::string::npos);
}

}  // namespace
}  // namespace burrowlight::replay
