#include "render/expedition_presentation.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/expedition_world.hpp"
#include "render/art.hpp"
#include "render/game_keys.hpp"
#include "render/guide.hpp"
#include "render/palette.hpp"
#include "render/text.hpp"

namespace burrowlight::render {
namespace {

constexpr std::array<std::string_view, kFloorCount> kFloorNames{
    "The Velvet Vestibule", "The Sleeping Court", "The Crown Below"};

constexpr Guide kGuide{
    kGuideTitle,
    "You are a human delver. The Hollow Crown is waiting.",
    palette::pale,
    "Explore three floors. Deeper crystals score more. F finishes this attempt early at its "
    "current score.",
    help_keys<kExpeditionKeys>(),
    "512 actions. Invalid moves cost nothing. No time pressure.",
    kReturnToGame,
};

constexpr Controls kControls{
    footer_text<kExpeditionKeys, 1>(),
    footer_text<kExpeditionKeys, 2>(),
    kGuide,
};

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

}  // namespace

std::string_view floor_name(std::size_t floor) {
  return kFloorNames[std::min(floor, kFloorNames.size() - 1)];
}

Scene expedition_scene(const expedition::Run& run) {
  const Expedition& delve = run.expedition();
  const expedition::CellSet& explored = run.explored(delve.floor);
  std::vector<std::uint8_t> visible(kCellsPerFloor, 0);
  std::vector<std::uint8_t> discovered(kCellsPerFloor, 0);
  for (std::size_t cell = 0; cell < kCellsPerFloor; ++cell) {
    visible[cell] = run.in_view().contains(cell) ? 1 : 0;
    discovered[cell] = explored.contains(cell) ? 1 : 0;
  }
  const expedition::RunLog& log = run.log_lines();
  std::vector<std::string> lines;
  for (std::size_t index = 0; index < log.size(); ++index) lines.push_back(log[index].text());
  return Scene{
      .world = expedition::world(delve),
      .visible = std::move(visible),
      .discovered = std::move(discovered),
      .log = std::move(lines),
      .place = floor_name(delve.floor),
      .x = delve.x,
      .y = delve.y,
      // No waystone stands on an expedition floor.
      .awakened = false,
  };
}

Presentation expedition_presentation(ExpeditionView shown) {
  return expedition_presentation(shown, kControls);
}

Presentation expedition_presentation(ExpeditionView shown, const Controls& controls) {
  return Presentation{
      .tagline = "A delver's journey beneath an impossible hill",
      .title = "THE HOLLOW CROWN",
      .panel_title = "THE DELVER",
      .player = {art::kHumanDelver, palette::pale},
      .controls = controls,
      .panel = [shown](Screen& screen,
                       const Layout& layout) { draw_delver_panel(screen, layout, shown); },
  };
}

void show_event(View& view, const expedition::Event& event, std::int32_t x, std::int32_t y) {
  if (const auto* dug = std::get_if<expedition::Dug>(&event)) {
    view.floats.push_back({joined({"-", std::to_string(dug->cost)}), x, y, 0.0F, palette::dim});
  } else if (const auto* taken = std::get_if<expedition::CrystalTaken>(&event)) {
    view.floats.push_back(
        {joined({"+", std::to_string(taken->value), " CRYSTAL"}), x, y, 0.0F, palette::gold});
  } else if (const auto* flask = std::get_if<expedition::FlaskUsed>(&event)) {
    view.floats.push_back(
        {joined({"+", std::to_string(flask->gained), " CHARGE"}), x, y, 0.0F, palette::green});
  }
}

}  // namespace burrowlight::render
