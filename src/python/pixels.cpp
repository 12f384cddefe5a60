#include "python/pixels.hpp"

#include "render/screen.hpp"

namespace burrowlight::python {

namespace {

struct CellColours {
  Rgb top;
  Rgb bottom;
  // The colour of the middle of the cell, where a glyph of text would be.
  Rgb middle;
};

CellColours colours_of(const ScreenCell& cell) {
  switch (cell.ch) {
    case U'▀':
      return {cell.fg, cell.bg, cell.fg};
    case U'▄':
      return {cell.bg, cell.fg, cell.bg};
    case U'█':
      return {cell.fg, cell.fg, cell.fg};
    case U' ':
      return {cell.bg, cell.bg, cell.bg};
    default:
      return {cell.bg, cell.bg, cell.fg};
  }
}

// The middle of a cell of text: half its width and half its height.
bool in_middle(std::int32_t x, std::int32_t y) {
  return x >= kCellWidth / 4 && x < kCellWidth * 3 / 4 && y >= kCellHeight / 4 &&
         y < kCellHeight * 3 / 4;
}

}  // namespace

py::array_t<std::uint8_t> pixels_of(const Game& game, std::optional<ExpeditionView> expedition) {
  View view;
  view.pixels = true;
  const Screen screen = view.compose(game, expedition, kFrameColumns, kFrameRows);
  const std::int32_t width = screen.width * kCellWidth;
  py::array_t<std::uint8_t> image({screen.height * kCellHeight, width, 3});
  std::uint8_t* out = image.mutable_data();
  for (std::int32_t row = 0; row < screen.height * kCellHeight; ++row) {
    for (std::int32_t column = 0; column < width; ++column) {
      const CellColours colours = colours_of(screen.at(column / kCellWidth, row / kCellHeight));
      const std::int32_t x = column % kCellWidth;
      const std::int32_t y = row % kCellHeight;
      const Rgb& colour = in_middle(x, y)         ? colours.middle
                          : y < kCellHeight / 2 ? colours.top
                                                : colours.bottom;
      *out++ = colour.r;
      *out++ = colour.g;
      *out++ = colour.b;
    }
  }
  return image;
}

py::array_t<std::uint8_t> expedition_pixels(const env::ExpeditionEnv& environment) {
  const expedition::Run& run = environment.state().run;
  return pixels_of(run.game(), ExpeditionView{run.expedition(), run.record().finished});
}

}  // namespace burrowlight::python
