// The prototype's own keys: walking, interacting and the floating texts of a found
// crystal and the awakening, and the restart.

#include "main/prototype_keys.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "render/palette.hpp"

namespace burrowlight::main {
namespace {

terminal::Key character(char typed) { return terminal::Key::of_character(typed); }
terminal::Key ctrl(char letter) { return terminal::Key::of_character(letter, terminal::Modifiers{.ctrl = true}); }
terminal::Key key(render::KeyCode code) { return terminal::Key::of(code); }

// A small lawn with one crystal east of the player and the waystone south of it.
Game lawn() {
  World world = World::filled(7, 7, Tile::MossAndGrass);
  world.props.push_back(Prop{4, 3, PropKind::of_crystal(Crystal::SapphireOfSilence), true});
  world.props.push_back(Prop{3, 4, PropKind::Tag::ForestWaystone, true});
  return Game::from_world(std::move(world), 3, 3);
}

TEST(PrototypeKeys, FoundCrystalRisesInItsColour) {
  Game game = lawn();
  render::View view;
  handle_prototype_key(key(render::KeyCode::Right), game, view);
  EXPECT_EQ(game.x, 4);
  ASSERT_EQ(view.floats.size(), 1U);
  EXPECT_EQ(view.floats[0].text, "+ Sapphire of Silence");
  EXPECT_EQ(view.floats[0].x, 4);
  EXPECT_EQ(view.floats[0].y, 3);
  EXPECT_EQ(view.floats[0].age, 0.0F);
  EXPECT_EQ(view.floats[0].colour, (render::Rgb{109, 188, 255}));

  // A plain move adds nothing.
  handle_prototype_key(character('a'), game, view);
  EXPECT_EQ(game.x, 3);
  EXPECT_EQ(view.floats.size(), 1U);
}

TEST(PrototypeKeys, AwakeningRisesInGold) {
  Game game = lawn();
  game.world.props[0].active = false;
  game.found = {Crystal::EmeraldOfThorns, Crystal::SapphireOfSilence, Crystal::AmethystOfEchoes};
  render::View view;
  handle_prototype_key(character('E'), game, view);
  EXPECT_TRUE(game.awakened);
  ASSERT_EQ(view.floats.size(), 1U);
  EXPECT_EQ(view.floats[0].text, "THE WAYSTONE AWAKENS");
  EXPECT_EQ(view.floats[0].colour, (render::Rgb{222, 186, 116}));

  // The waystone stays silent afterwards.
  handle_prototype_key(key(render::KeyCode::Enter), game, view);
  EXPECT_EQ(view.floats.size(), 1U);
}

TEST(PrototypeKeys, RestartRebuildsTheLocationAndKeepsThePresentation) {
  Game game = Game::authored();
  render::View view;
  view.pixels = true;
  view.zoom = 3;
  view.recenter = false;
  handle_prototype_key(character('d'), game, view);
  view.floats.push_back(render::Float{"+ x", 0, 0, 0.5F, render::palette::gold});
  ASSERT_EQ(game.x, 13);

  handle_prototype_key(character('R'), game, view);
  EXPECT_EQ(game.x, 12);
  EXPECT_EQ(game.y, 23);
  EXPECT_EQ(game.turn, 0U);
  EXPECT_EQ(game.log_lines.size(), 2U);
  EXPECT_TRUE(view.floats.empty());
  EXPECT_TRUE(view.recenter);
  EXPECT_TRUE(view.pixels);
  EXPECT_EQ(view.zoom, 3U);
}

TEST(PrototypeKeys, OtherKeysChangeNothing) {
  Game game = Game::authored();
  render::View view;
  for (const terminal::Key& ignored : {character('f'), character('1'), key(render::KeyCode::Tab), ctrl('r')}) {
    handle_prototype_key(ignored, game, view);
  }
  // Ctrl+R is R all the same: only the restart happened, which leaves the start as it was.
  EXPECT_EQ(game.turn, 0U);
  EXPECT_EQ(game.x, 12);
}

}  // namespace
}  // namespace burrowlight::main
