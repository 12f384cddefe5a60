#include "render/view.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "render/map.hpp"
#include "render/palette.hpp"
#include "render/text.hpp"

namespace burrowlight::render {
namespace {

// The help overlay from top to bottom: a blank row under the title, the greeting, a blank
// row, the summary, a blank row, the key table, the closing remark and, after a blank row,
// how to leave, with a blank row above the bottom border.
constexpr std::int32_t kHelpWidth = 70;
constexpr std::int32_t kHelpGreeting = 2;
constexpr std::int32_t kHelpSummary = kHelpGreeting + 2;
constexpr std::int32_t kHelpSummaryRows = 2;
constexpr std::int32_t kHelpKeys = kHelpSummary + kHelpSummaryRows + 2;
// The key table stops short of the closing remark.
constexpr std::size_t kMostHelpKeys = 9;
constexpr std::int32_t kHelpClosing = kHelpKeys + static_cast<std::int32_t>(kMostHelpKeys) + 1;
constexpr std::int32_t kHelpDismiss = kHelpClosing + 2;
constexpr std::int32_t kHelpHeight = kHelpDismiss + 3;

void draw_enlarge_notice(Screen& screen, std::uint16_t width, std::uint16_t height) {
  std::int32_t room = static_cast<std::int32_t>(width) - 4;
  screen.text(2, 2, "BURROWLIGHT", palette::gold);
  screen.clipped(2, 4, room, "Please enlarge the terminal to at least 90 x 30.", palette::ink);
  std::string size = joined({"Current size: ", std::to_string(width), " x ", std::to_string(height),
                             ". Q exits safely."});
  screen.clipped(2, 6, room, size, palette::dim);
}

void draw_header(Screen& screen, const Layout& layout, const Presentation& presentation) {
  screen.text(2, 0, "B U R R O W L I G H T", palette::gold);
  screen.text(2, 1, presentation.tagline, palette::dim);
  screen.text(layout.width - 25, 0, presentation.title, palette::green);
}

void draw_field_notes(Screen& screen, const Layout& layout, const std::vector<std::string>& log) {
  std::int32_t top = layout.notes_top();
  std::int32_t room = layout.width - 6;
  std::int32_t rows = Layout::kNoteRows;
  screen.frame(1, top, layout.width - 2, Layout::kNotesHeight, "FIELD NOTES");
  if (log.size() >= 2) {
    screen.wrap(3, top + 1, room, rows, log[log.size() - 2], palette::dim);
    screen.wrap(3, top + 1 + rows, room, rows, log.back(), palette::ink);
  } else if (log.size() == 1) {
    screen.wrap(3, top + 1, room, rows, log.back(), palette::ink);
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
  screen.text(text_column, top + kHelpGreeting, guide.greeting, guide.greeting_colour);
  screen.wrap(text_column, top + kHelpSummary, kHelpWidth - 6, kHelpSummaryRows, guide.summary,
              palette::ink);
  std::int32_t row = top + kHelpKeys;
  for (const HelpKey& key : guide.keys.first(std::min(guide.keys.size(), kMostHelpKeys))) {
    screen.text(text_column, row, key.key, palette::gold);
    screen.clipped(left + 28, row, 39, key.text, palette::ink);
    ++row;
  }
  screen.text(text_column, top + kHelpClosing, guide.closing, palette::dim);
  screen.text(text_column, top + kHelpDismiss, guide.dismiss, palette::sky);
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

Screen View::compose(const Scene& scene, const Presentation& presentation, std::uint16_t width,
                     std::uint16_t height) {
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

  draw_header(screen, layout, presentation);
  screen.frame(1, Layout::kPanelTop, layout.width - layout.side_width - 3, layout.panel_height(),
               scene.place);
  screen.frame(layout.side_x - 1, Layout::kPanelTop, layout.side_width, layout.panel_height(),
               presentation.panel_title);
  draw_map(screen, *this, scene, presentation.player, layout);
  presentation.panel(screen, layout);
  draw_field_notes(screen, layout, scene.log);
  draw_footer(screen, layout, presentation.controls, *this);
  if (help) draw_help(screen, layout, presentation.controls.guide);
  return screen;
}

Result<void> View::draw_inner(const Scene& scene, const Presentation& presentation,
                              std::uint16_t width, std::uint16_t height, Output& out) {
  return flush(compose(scene, presentation, width, height), previous, out);
}

}  // namespace burrowlight::render
