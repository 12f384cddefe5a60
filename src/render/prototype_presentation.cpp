#include "render/prototype_presentation.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "render/art.hpp"
#include "render/game_keys.hpp"
#include "render/guide.hpp"
#include "render/palette.hpp"
#include "render/text.hpp"

namespace burrowlight::render {
namespace {

// The three voices in the order the side panel lists them.
constexpr std::array<std::pair<Crystal, std::string_view>, 3> kVoices{{
    {Crystal::EmeraldOfThorns, "THORNS"},
    {Crystal::SapphireOfSilence, "SILENCE"},
    {Crystal::AmethystOfEchoes, "ECHOES"},
}};

constexpr Guide kGuide{
    kGuideTitle,
    "You are Pip. Moss is guarding the clearing.",
    palette::green,
    "Find three singing crystals in the castle. Bring them to the old waystone near the "
    "beginning, then press E.",
    help_keys<kPrototypeKeys>(),
    "No combat or time pressure. Take your time.",
    kReturnToGame,
};

constexpr Controls kControls{
    footer_text<kPrototypeKeys, 1>(),
    footer_text<kPrototypeKeys, 2>(),
    kGuide,
};

void draw_voices(Screen& screen, const Layout& layout, const Game& game) {
  std::int32_t left = layout.side_x + 1;
  screen.text(left, 11, "THE THREE VOICES", palette::gold);
  std::int32_t row = 13;
  for (const auto& [crystal, voice] : kVoices) {
    if (std::ranges::find(game.found, crystal) != game.found.end()) {
      Rgb colour = palette::crystal(crystal);
      screen.text(left, row, "◆", colour);
      screen.text(layout.side_x + 4, row, voice, colour);
      screen.text(layout.side_x + 15, row, "found", palette::dim);
    } else {
      screen.text(left, row, "◇", palette::slate);
      screen.text(layout.side_x + 4, row, voice, palette::dim);
      screen.text(layout.side_x + 15, row, "...", palette::dim);
    }
    ++row;
  }
}

void draw_seeker_panel(Screen& screen, const Layout& layout, const Game& game) {
  std::int32_t left = layout.side_x + 1;
  std::int32_t room = layout.side_width - 4;
  std::int32_t height = layout.height;
  art::draw_portrait(screen, left, art::kGoblin, palette::green);
  screen.text(layout.side_x + 11, 5, "PIP", palette::green);
  screen.text(layout.side_x + 11, 6, "Goblin scout", palette::ink);
  screen.text(layout.side_x + 11, 8, joined({"Step ", std::to_string(game.turn)}), palette::dim);
  draw_voices(screen, layout, game);

  if (height > 33) {
    if (game.awakened) {
      screen.wrap(left, 17, room, 3, "The waystone is awake. The forest is listening.",
                  palette::green);
    } else if (game.found.size() == kVoices.size()) {
      screen.wrap(left, 17, room, 3, "Return to the waystone in the clearing.", palette::ink);
    } else {
      screen.wrap(left, 17, room, 3, "Follow the crystal songs into the castle.", palette::ink);
    }
  }
  if (height > 38) {
    screen.wrap(left, 21, room, 3, area_at(game.x, game.y).description, palette::dim);
  }

  // Two rows at the foot of the panel, a blank row above its bottom border.
  std::int32_t foot = layout.notes_top() - 4;
  if (std::optional<std::size_t> target = game.interaction_target()) {
    screen.text(left, foot, "E  INSPECT", palette::gold);
    screen.clipped(left, foot + 1, room, display_name(game.world.props[*target].kind),
                   palette::ink);
  } else {
    screen.text(left, foot, "Listen. Look closer.", palette::dim);
    screen.text(left, foot + 1, "The hill has secrets.", palette::dim);
  }
}

}  // namespace

Scene prototype_scene(const Game& game) {
  return Scene{
      .world = game.world,
      .visible = game.visible,
      .discovered = game.discovered,
      .log = {game.log_lines.begin(), game.log_lines.end()},
      .place = area_at(game.x, game.y).name,
      .x = game.x,
      .y = game.y,
      .awakened = game.awakened,
  };
}

Presentation prototype_presentation(const Game& game) {
  return Presentation{
      .tagline = "A goblin tale beneath an impossible hill",
      .title = "THE GLOAMING THRESHOLD",
      .panel_title = "THE CRYSTAL SEEKERS",
      .player = {art::kGoblin, palette::green},
      .controls = kControls,
      .panel = [&game](Screen& screen,
                       const Layout& layout) { draw_seeker_panel(screen, layout, game); },
  };
}

}  // namespace burrowlight::render
