// The two games' key tables, checked as the terminal reads them: no pressed key means
// two things in one game, every binding reaches its command through the shared keys
// and the game, and the help rows and footer lines made from a table are the texts
// the games have always shown.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "render/game_keys.hpp"
#include "terminal/key_routing.hpp"

namespace burrowlight::terminal {
namespace {

struct GameTable {
  std::string name;
  const render::KeyTable& table;
};

std::vector<GameTable> games() {
  return {{"prototype", render::kPrototypeKeys}, {"expedition", render::kExpeditionKeys}};
}

// Every key a terminal can report that a table could name: each printable
// character with and without Ctrl, and each special key.
std::vector<Key> every_key() {
  std::vector<Key> keys;
  for (char typed = ' '; typed <= '~'; ++typed) {
    keys.push_back(Key::of_character(typed));
    keys.push_back(Key::of_character(typed, Modifiers{.ctrl = true}));
  }
  for (render::KeyCode code :
       {render::KeyCode::Enter, render::KeyCode::Escape, render::KeyCode::Up, render::KeyCode::Down, render::KeyCode::Left, render::KeyCode::Right,
        render::KeyCode::Home, render::KeyCode::End, render::KeyCode::Tab, render::KeyCode::Backspace}) {
    keys.push_back(Key::of(code));
  }
  return keys;
}

// The plainest key a table's name stands for.
Key pressed(render::KeyName name) { return Key{name.code, name.character, Modifiers{.ctrl = name.ctrl}}; }

bool is_shared(render::KeyCommand command) {
  for (std::span<const render::Binding> bindings : render::kSharedBindings) {
    for (const render::Binding& binding : bindings) {
      if (binding.command == command) return true;
    }
  }
  return false;
}

TEST(KeyTables, NoKeyIsBoundTwiceInOneGame) {
  for (const GameTable& game : games()) {
    for (const Key& key : every_key()) {
      int bound = 0;
      for (const render::KeyRow& row : game.table.rows) {
        for (const render::Binding& binding : row.bindings) bound += matches(key, binding.key) ? 1 : 0;
      }
      EXPECT_LE(bound, 1) << game.name << " " << testing::PrintToString(key.character) << " code "
                          << static_cast<int>(key.code);
    }
  }
}

TEST(KeyTables, EveryBindingReachesItsCommand) {
  for (const GameTable& game : games()) {
    for (const render::KeyRow& row : game.table.rows) {
      EXPECT_FALSE(row.bindings.empty()) << game.name << " " << row.footer_text;
      for (const render::Binding& binding : row.bindings) {
        Key key = pressed(binding.key);
        EXPECT_EQ(game_command(game.table, key), binding.command)
            << game.name << " " << testing::PrintToString(key.character);
        render::View view;
        KeyRoute route = route_key(key, view, false);
        EXPECT_EQ(route == KeyRoute::Game, !is_shared(binding.command))
            << game.name << " " << testing::PrintToString(key.character);
      }
    }
  }
}

TEST(KeyTables, SharedKeysAreInEveryGame) {
  for (const GameTable& game : games()) {
    for (std::span<const render::Binding> bindings : render::kSharedBindings) {
      for (const render::Binding& binding : bindings) {
        EXPECT_EQ(game_command(game.table, pressed(binding.key)), binding.command) << game.name;
      }
    }
  }
}

struct FooterCase {
  std::string_view derived;
  std::string_view shown;
};

TEST(KeyTables, FootersAreTheGamesTexts) {
  const std::vector<FooterCase> cases = {
      {render::footer_text<render::kPrototypeKeys, 1>(),
       "WASD / arrows  Move    E  Inspect    G  View    Z/X  Zoom    ?  Help    Q  Quit"},
      {render::footer_text<render::kPrototypeKeys, 2>(), "Space  Stillness    R  Restart"},
      {render::footer_text<render::kExpeditionKeys, 1>(),
       "WASD / arrows  Move / dig    E  Flask / portal    G  View    ?  Help    Q  Quit"},
      {render::footer_text<render::kExpeditionKeys, 2>(), "F  Finish expedition    Autosave on every action"},
  };
  for (const FooterCase& footer : cases) EXPECT_EQ(footer.derived, footer.shown);
}

std::vector<std::string> rows_of(std::span<const render::HelpKey> keys) {
  std::vector<std::string> rows;
  for (const render::HelpKey& key : keys)
    rows.push_back(std::string(key.key) + " | " + std::string(key.text));
  return rows;
}

TEST(KeyTables, HelpRowsAreTheGamesTexts) {
  EXPECT_EQ(rows_of(render::help_keys<render::kPrototypeKeys>()),
            (std::vector<std::string>{
                "WASD / arrows / HJKL | Walk; bump a door to open it",
                "E / Enter | Inspect or interact nearby",
                "G | Switch colored glyphs / pixel sprites",
                "Z / X | Zoom pixel sprites in / out",
                "Space | Pause ambient motion; walking still works",
                "R | Restart this handcrafted location",
                "Q / Escape | Quit",
            }));
  EXPECT_EQ(rows_of(render::help_keys<render::kExpeditionKeys>()),
            (std::vector<std::string>{
                "WASD / arrows / HJKL | Walk; bump a vein to dig it",
                "E / Enter | Use flask or portal underfoot",
                "G | Switch colored glyphs / pixel sprites",
                "Z / X | Zoom pixel sprites in / out",
                "Space | Pause ambient motion; walking still works",
                "F | Seal the saved expedition",
                "Q / Escape | Exit; progress is already saved",
            }));
}

}  // namespace
}  // namespace burrowlight::terminal
