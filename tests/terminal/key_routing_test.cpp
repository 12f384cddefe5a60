#include "terminal/key_routing.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/game_keys.hpp"
#include "render/palette.hpp"
#include "terminal/frame_loop.hpp"

namespace burrowlight::terminal {
namespace {

Key character(char typed) { return Key::of_character(typed); }
Key ctrl(char letter) { return Key::of_character(letter, Modifiers{.ctrl = true}); }
Key key(render::KeyCode code) { return Key::of(code); }

struct RouteCase {
  std::string name;
  Key key;
  KeyRoute route;
};

TEST(KeyRouting, QuitKeysWinInEveryState) {
  const std::vector<Key> quit_keys = {character('q'), character('Q'), ctrl('q'), ctrl('c'),
                                      key(render::KeyCode::Escape)};
  for (bool help : {false, true}) {
    for (bool small : {false, true}) {
      for (const Key& quit : quit_keys) {
        render::View view;
        view.help = help;
        EXPECT_EQ(route_key(quit, view, small), KeyRoute::Quit)
            << testing::PrintToString(quit.character) << " help " << help << " small " << small;
      }
    }
  }
  render::View view;
  EXPECT_EQ(route_key(character('c'), view, false), KeyRoute::Game);
}

TEST(KeyRouting, HelpOverlayTakesEveryKeyButEnterQuestionMarkAndQuit) {
  render::View view;
  EXPECT_EQ(route_key(character('?'), view, false), KeyRoute::Handled);
  EXPECT_TRUE(view.help);
  const std::vector<Key> swallowed = {key(render::KeyCode::Up), character('w'), character('e'),
                                      character('g'),   character(' '), character('r'),
                                      character('f')};
  for (const Key& ignored : swallowed) {
    EXPECT_EQ(route_key(ignored, view, false), KeyRoute::Handled);
    EXPECT_TRUE(view.help);
    EXPECT_FALSE(view.pixels);
    EXPECT_FALSE(view.still);
  }
  EXPECT_EQ(route_key(key(render::KeyCode::Enter), view, false), KeyRoute::Handled);
  EXPECT_FALSE(view.help);

  route_key(character('?'), view, false);
  route_key(character('?'), view, false);
  EXPECT_FALSE(view.help);
}

TEST(KeyRouting, SmallTerminalIgnoresAllButQuitAndHelp) {
  render::View view;
  for (const Key& ignored :
       {key(render::KeyCode::Left), character('g'), character(' '), character('e'), key(render::KeyCode::Enter)}) {
    EXPECT_EQ(route_key(ignored, view, true), KeyRoute::Handled);
  }
  EXPECT_FALSE(view.pixels);
  EXPECT_FALSE(view.still);
  EXPECT_EQ(route_key(character('?'), view, true), KeyRoute::Handled);
  EXPECT_TRUE(view.help);

  EXPECT_TRUE(is_small_terminal(89, 40));
  EXPECT_TRUE(is_small_terminal(120, 29));
  EXPECT_FALSE(is_small_terminal(90, 30));
}

TEST(KeyRouting, PresentationKeys) {
  render::View view;
  view.recenter = false;
  // Zoom does nothing in glyph mode.
  EXPECT_EQ(route_key(character('z'), view, false), KeyRoute::Handled);
  EXPECT_EQ(route_key(character('X'), view, false), KeyRoute::Handled);
  EXPECT_EQ(view.zoom, 1U);
  EXPECT_FALSE(view.recenter);

  EXPECT_EQ(route_key(character('G'), view, false), KeyRoute::Handled);
  EXPECT_TRUE(view.pixels);
  EXPECT_TRUE(view.recenter);

  const std::vector<std::pair<char, std::size_t>> zooms = {{'z', 2}, {'Z', 3}, {'z', 3}, {'x', 2},
                                                           {'X', 1}, {'x', 0}, {'x', 0}, {'z', 1}};
  for (auto [letter, zoom] : zooms) {
    view.recenter = false;
    route_key(character(letter), view, false);
    EXPECT_EQ(view.zoom, zoom) << letter;
    EXPECT_TRUE(view.recenter);
  }

  route_key(character(' '), view, false);
  EXPECT_TRUE(view.still);
  route_key(character(' '), view, false);
  EXPECT_FALSE(view.still);
  route_key(character('g'), view, false);
  EXPECT_FALSE(view.pixels);
}

TEST(KeyRouting, AClaimedPresentationKeyGoesToTheGameAfterQuitHelpAndSmallTerminal) {
  render::View view;
  EXPECT_EQ(route_key(character(' '), view, false, KeyClaim::Game), KeyRoute::Game);
  EXPECT_EQ(route_key(character('g'), view, false, KeyClaim::Game), KeyRoute::Game);
  EXPECT_FALSE(view.still);
  EXPECT_FALSE(view.pixels);
  EXPECT_EQ(route_key(character(' '), view, true, KeyClaim::Game), KeyRoute::Handled);
  EXPECT_EQ(route_key(character('q'), view, false, KeyClaim::Game), KeyRoute::Quit);
  view.help = true;
  EXPECT_EQ(route_key(character(' '), view, false, KeyClaim::Game), KeyRoute::Handled);
  EXPECT_FALSE(view.still);
}

TEST(KeyRouting, MovementAndInteractKeysInBothGames) {
  using expedition::Direction;
  const std::vector<std::pair<Key, std::optional<Direction>>> cases = {
      {key(render::KeyCode::Up), Direction::North},  {character('w'), Direction::North},
      {character('K'), Direction::North},    {key(render::KeyCode::Down), Direction::South},
      {character('S'), Direction::South},    {character('j'), Direction::South},
      {key(render::KeyCode::Left), Direction::West}, {character('a'), Direction::West},
      {ctrl('h'), Direction::West},          {key(render::KeyCode::Right), Direction::East},
      {character('D'), Direction::East},     {character('l'), Direction::East},
      {character('e'), std::nullopt},        {key(render::KeyCode::Enter), std::nullopt},
      {character('1'), std::nullopt},
  };
  for (const render::KeyTable* table : {&render::kPrototypeKeys, &render::kExpeditionKeys}) {
    for (const auto& [pressed, direction] : cases) {
      std::optional<render::KeyCommand> command = game_command(*table, pressed);
      EXPECT_EQ(command ? direction_of(*command) : std::nullopt, direction)
          << testing::PrintToString(pressed.character);
    }
    EXPECT_EQ(game_command(*table, character('E')), render::KeyCommand::Interact);
    EXPECT_EQ(game_command(*table, key(render::KeyCode::Enter)), render::KeyCommand::Interact);
    EXPECT_NE(game_command(*table, character('1')), render::KeyCommand::Interact);
  }
}

TEST(FrameLoop, TimeStepIsCappedAndNeverNegative) {
  using std::chrono::milliseconds;
  EXPECT_FLOAT_EQ(time_step(milliseconds(33)), 0.033F);
  EXPECT_FLOAT_EQ(time_step(milliseconds(100)), 0.1F);
  EXPECT_FLOAT_EQ(time_step(milliseconds(5000)), 0.1F);
  EXPECT_FLOAT_EQ(time_step(milliseconds(-5)), 0.0F);
}

}  // namespace
}  // namespace burrowlight::terminal
