#include "render/view.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "render/art.hpp"
#include "render/game_keys.hpp"
#include "render/map.hpp"
#include "render/palette.hpp"

namespace burrowlight {
namespace {

constexpr std::array<std::string_view, kFloorCount> kFloorNames{
    "The Velvet Vestibule", "The Sleeping Court", "The Crown Below"};

// The three voices in the order the side panel lists them.
constexpr std::array<std::pair<Crystal, std::string_view>, 3> kVoices{{
    {Crystal::EmeraldOfThorns, "THORNS"},
    {Crystal::SapphireOfSilence, "SILENCE"},
    {Crystal::AmethystOfEchoes, "ECHOES"},
}};

constexpr std::string_view kGuideTitle = "A SMALL GUIDE TO AN IMPOSSIBLE PLACE";
constexpr std::string_view kReturnToGame = "Press ? or Enter to return to the game.";

constexpr Guide kPrototypeGuide{
    kGuideTitle,
    "You are Pip. Moss is guarding the clearing.",
    palette::green,
    "Find three singing crystals in the castle. Bring them to the old waystone near the "
    "beginning, then press E.",
    help_keys<kPrototypeKeys>(),
    "No combat or time pressure. Take your time.",
    kReturnToGame,
};

constexpr Guide kExpeditionGuide{
    kGuideTitle,
    "You are a human delver. The Hollow Crown is waiting.",
    palette::pale,
    "Explore three floors. Deeper crystals score more. F finishes this attempt early at its "
    "current score.",
    help_keys<kExpeditionKeys>(),
    "512 actions. Invalid moves cost nothing. No time pressure.",
    kReturnToGame,
};

constexpr Controls kPrototypeControls{
    footer_text<kPrototypeKeys, 1>(),
    footer_text<kPrototypeKeys, 2>(),
    kPrototypeGuide,
};

constexpr Controls kExpeditionControls{
    footer_text<kExpeditionKeys, 1>(),
    footer_text<kExpeditionKeys, 2>(),
    kExpeditionGuide,
};

// The controls each game shows of its own.
const Controls& game_controls(Story story) {
  return story == Story::Prototype ? kPrototypeControls : kExpeditionControls;
}

constexpr std::int32_t kHelpWidth = 70;
constexpr std::int32_t kHelpHeight = 23;
// The key table stops short of the closing remark.
constexpr std::size_t kMostHelpKeys = 9;

// Picks the prototype's or the expedition's version of a text.
std::string_view told(Story story, std::string_view prototype, std::string_view expedition) {
  return story == Story::Prototype ? prototype : expedition;
}

// Texts with numbers are built by appending into one string: g++ 12 reports a false
// overlap (-Wrestrict) for a literal added to a temporary string in optimised builds.
std::string joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  return text;
}

std::int32_t length(std::string_view ascii) { return static_cast<std::int32_t>(ascii.size()); }

void draw_enlarge_notice(Screen& screen, std::uint16_t width, std::uint16_t height) {
  std::int32_t room = static_cast<std::int32_t>(width) - 4;
  screen.text(2, 2, "BURROWLIGHT", palette::gold);
  screen.clipped(2, 4, room, "Please enlarge the terminal to at least 90 x 30.", palette::ink);
  std::string size = joined({"Current size: ", std::to_string(width), " x ", std::to_string(height),
                             ". Q exits safely."});
  screen.clipped(2, 6, room, size, palette::dim);
}

void draw_header(Screen& screen, const Layout& layout, Story story) {
  screen.text(2, 0, "B U R R O W L I G H T", palette::gold);
  screen.text(2, 1,
              told(story, "A goblin tale beneath an impossible hill",
                   "A delver's journey beneath an impossible hill"),
              palette::dim);
  screen.text(layout.width - 25, 0, told(story, "THE GLOAMING THRESHOLD", "THE HOLLOW CROWN"),
              palette::green);
}

std::string_view place_name(const Game& game, const std::optional<ExpeditionView>& expedition) {
  if (!expedition) return area_at(game.x, game.y).name;
  std::size_t floor = std::min(expedition->expedition.floor, kFloorNames.size() - 1);
  return kFloorNames[floor];
}

void draw_seeker_panel(Screen& screen, const Layout& layout, const Game& game) {
  std::int32_t left = layout.side_x + 1;
  std::int32_t room = layout.side_width - 4;
  std::int32_t height = layout.height;
  art::draw_portrait(screen, left, art::kGoblin, palette::green);
  screen.text(layout.side_x + 11, 5, "PIP", palette::green);
  screen.text(layout.side_x + 11, 6, "Goblin scout", palette::ink);
  screen.text(layout.side_x + 11, 8, joined({"Step ", std::to_string(game.turn)}), palette::dim);

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

  if (std::optional<std::size_t> target = game.interaction_target()) {
    screen.text(left, height - 12, "E  INSPECT", palette::gold);
    screen.clipped(left, height - 11, room, display_name(game.world.props[*target].kind),
                   palette::ink);
  } else {
    screen.text(left, height - 12, "Listen. Look closer.", palette::dim);
    screen.text(left, height - 11, "The hill has secrets.", palette::dim);
  }
}

std::string_view underfoot_hint(const Expedition& expedition) {
  switch (expedition.cell(expedition.x, expedition.y)) {
    case Cell::Flask:
      return "E  Drink ember flask";
    case Cell::UpPortal:
      return "E  Ascend";
    case Cell::DownPortal:
      return "E  Descend";
    default:
      return "Bump veins to dig";
  }
}

std::string charge_bar(std::uint8_t charge) {
  std::size_t bars = std::min(charge, expedition::kMaxCharge);
  return joined(
      {"[", std::string(bars, '|'), std::string(expedition::kMaxCharge - bars, '.'), "]"});
}

void draw_delver_panel(Screen& screen, const Layout& layout, const ExpeditionView& shown) {
  const Expedition& delve = shown.expedition;
  std::int32_t left = layout.side_x + 1;
  std::int32_t room = layout.side_width - 4;
  screen.text(left, 5, "HUMAN DELVER", palette::pale);
  art::draw_portrait(screen, layout.width - 11, art::kHumanDelver, palette::pale);
  screen.text(
      left, 7,
      joined({"Depth ", std::to_string(delve.floor + 1), " / ", std::to_string(kFloorCount)}),
      palette::ink);
  screen.text(left, 9, joined({"Crystal score: ", std::to_string(delve.score)}), palette::gold);
  screen.text(left, 11,
              joined({"Charge: ", std::to_string(delve.charge), " / ",
                      std::to_string(expedition::kMaxCharge)}),
              palette::sky);
  screen.text(left, 12, charge_bar(delve.charge),
              delve.charge < 3 ? palette::gold : palette::green);
  screen.text(left, 14,
              joined({"Actions: ", std::to_string(delve.turns), " / ",
                      std::to_string(expedition::kActionLimit)}),
              palette::dim);
  if (shown.sealed) {
    screen.clipped(left, 16, room, "EXPEDITION SEALED", palette::gold);
    screen.clipped(left, 18, room, "Q  Exit safely", palette::dim);
  } else {
    screen.clipped(left, 16, room, underfoot_hint(delve), palette::ink);
    screen.clipped(left, 18, room, "F  Finish this attempt", palette::dim);
  }
  if (layout.height >= 35) {
    screen.wrap(left, 21, room, 3,
                "Digging spends charge. Walking and portals are free. Nothing grows back.",
                palette::dim);
  }
}

void draw_field_notes(Screen& screen, const Layout& layout, const std::deque<std::string>& log) {
  std::int32_t top = layout.height - 8;
  std::int32_t room = layout.width - 6;
  screen.frame(1, top, layout.width - 2, 6, "FIELD NOTES");
  if (log.size() >= 2) {
    screen.wrap(3, top + 1, room, 2, log[log.size() - 2], palette::dim);
    screen.wrap(3, top + 3, room, 2, log.back(), palette::ink);
  } else if (log.size() == 1) {
    screen.wrap(3, top + 1, room, 2, log.back(), palette::ink);
  }
}

void draw_footer(Screen& screen, const Layout& layout, const Controls& controls, const View& view) {
  std::int32_t bottom = layout.height - 1;
  screen.clipped(2, bottom - 1, layout.width - 4, controls.keys, palette::ink);
  screen.text(2, bottom, controls.notes, palette::dim);
  std::string status =
      joined({view.pixels ? "PIXELS" : "GLYPHS", "  |  ", view.still ? "STILL" : "LIVING"});
  screen.text(layout.width - 2 - length(status), bottom, status, palette::sky);
}

void draw_help(Screen& screen, const Layout& layout, const Guide& guide) {
  std::int32_t left = (layout.width - kHelpWidth) / 2;
  std::int32_t top = (layout.height - kHelpHeight) / 2;
  std::int32_t text_column = left + 3;
  screen.frame(left, top, kHelpWidth, kHelpHeight, guide.title);
  screen.text(text_column, top + 2, guide.greeting, guide.greeting_colour);
  screen.wrap(text_column, top + 4, 64, 2, guide.summary, palette::ink);
  std::int32_t row = top + 8;
  for (const HelpKey& key : guide.keys.first(std::min(guide.keys.size(), kMostHelpKeys))) {
    screen.text(text_column, row, key.key, palette::gold);
    screen.clipped(left + 28, row, 39, key.text, palette::ink);
    ++row;
  }
  screen.text(text_column, top + 18, guide.closing, palette::dim);
  screen.text(text_column, top + 20, guide.dismiss, palette::sky);
}

}  // namespace

Layout Layout::of(std::uint16_t width, std::uint16_t height) {
  std::int32_t side_width = width >= 110 ? 30 : 26;
  return {width, height, side_width, width - side_width};
}

void View::advance(float dt) {
  if (still) return;
  clock += dt;
  for (Float& rising : floats) rising.age += dt;
  std::erase_if(floats, [](const Float& rising) { return !(rising.age < kFloatLifetime); });
}

void View::reset_camera() {
  recenter = true;
  floats.clear();
}

void View::on_expedition_event(const expedition::Event& event, std::int32_t x, std::int32_t y) {
  if (const auto* dug = std::get_if<expedition::Dug>(&event)) {
    floats.push_back({joined({"-", std::to_string(dug->cost)}), x, y, 0.0F, palette::dim});
  } else if (const auto* taken = std::get_if<expedition::CrystalTaken>(&event)) {
    floats.push_back(
        {joined({"+", std::to_string(taken->value), " CRYSTAL"}), x, y, 0.0F, palette::gold});
  } else if (const auto* flask = std::get_if<expedition::FlaskUsed>(&event)) {
    floats.push_back(
        {joined({"+", std::to_string(flask->gained), " CHARGE"}), x, y, 0.0F, palette::green});
  }
}

Screen View::compose(const Game& game, std::optional<ExpeditionView> expedition,
                     std::uint16_t width, std::uint16_t height) {
  return compose(game, expedition, game_controls(expedition ? Story::Expedition : Story::Prototype),
                 width, height);
}

Screen View::compose(const Game& game, std::optional<ExpeditionView> expedition,
                     const Controls& controls, std::uint16_t width, std::uint16_t height) {
  Screen screen(width, height);
  if (width < kMinimumWidth || height < kMinimumHeight) {
    draw_enlarge_notice(screen, width, height);
    return screen;
  }
  if (width != last_width || height != last_height) {
    last_width = width;
    last_height = height;
    recenter = true;
  }
  Layout layout = Layout::of(width, height);
  Story story = expedition ? Story::Expedition : Story::Prototype;

  draw_header(screen, layout, story);
  screen.frame(1, 3, layout.width - layout.side_width - 3, layout.height - 11,
               place_name(game, expedition));
  screen.frame(layout.side_x - 1, 3, layout.side_width, layout.height - 11,
               told(story, "THE CRYSTAL SEEKERS", "THE DELVER"));
  draw_map(screen, *this, game, story, layout);
  if (expedition) {
    draw_delver_panel(screen, layout, *expedition);
  } else {
    draw_seeker_panel(screen, layout, game);
  }
  draw_field_notes(screen, layout, game.log_lines);
  draw_footer(screen, layout, controls, *this);
  if (help) draw_help(screen, layout, controls.guide);
  return screen;
}

Result<void> View::draw_inner(const Game& game, std::optional<ExpeditionView> expedition,
                              std::uint16_t width, std::uint16_t height, Output& out) {
  return flush(compose(game, expedition, width, height), previous, out);
}

Result<void> View::draw_inner(const Game& game, std::optional<ExpeditionView> expedition,
                              const Controls& controls, std::uint16_t width, std::uint16_t height,
                              Output& out) {
  return flush(compose(game, expedition, controls, width, height), previous, out);
}

}  // namespace burrowlight
