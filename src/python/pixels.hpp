#pragma once
// A frame of the game's own renderer in pixel mode as an RGB image: the renderer composes
// its grid of cells, and each cell becomes a block of pixels in its colours. A half block
// shows its foreground above its background, as on the terminal; a cell of text shows its
// background with a mark of its foreground, since the image draws no font.

#include <pybind11/numpy.h>

#include <cstdint>
#include <optional>

#include "env/expedition_env.hpp"
#include "render/expedition_presentation.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The terminal the frame is composed for, in cells, and the pixels of one cell: a frame is
// 120 × 40 cells of 4 × 8 pixels, 480 × 320 pixels.
inline constexpr std::uint16_t kFrameColumns = 120;
inline constexpr std::uint16_t kFrameRows = 40;
inline constexpr std::int32_t kCellWidth = 4;
inline constexpr std::int32_t kCellHeight = 8;

// H × W × 3 uint8, row 0 at the top.
py::array_t<std::uint8_t> pixels_of(const render::Scene& scene, const render::Presentation& presentation);

// The frame of an expedition environment as it stands.
py::array_t<std::uint8_t> expedition_pixels(const env::ExpeditionEnv& environment);

}  // namespace burrowlight::python
