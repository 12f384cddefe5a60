// What one frame of the prototype costs: composing the whole screen and flushing
// the difference into memory, at three terminal sizes, in GLYPHS mode and in PIXELS
// mode at the smallest and largest zoom; and how many bytes the first frame and
// the idle animated frames after it send to the terminal.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>

#include "core/game.hpp"
#include "base/stream.hpp"
#include "render/prototype_presentation.hpp"
#include "render/view.hpp"

namespace burrowlight {
namespace {

// One frame period of the interactive loops.
constexpr float kFrameSeconds = 0.033F;

// The view modes measured; the zoom only matters in PIXELS mode.
enum class Mode : std::int64_t { Glyphs = 0, PixelsZoom0 = 1, PixelsZoom3 = 2 };

render::View view_in(Mode mode) {
  render::View view;
  view.pixels = mode != Mode::Glyphs;
  view.zoom = mode == Mode::PixelsZoom3 ? 3 : 0;
  return view;
}

std::size_t changed_cells(const render::Screen& next, const std::optional<render::Screen>& previous) {
  if (!previous || previous->cells.size() != next.cells.size()) return next.cells.size();
  std::size_t changed = 0;
  for (std::size_t i = 0; i < next.cells.size(); ++i) {
    if (next.cells[i] != previous->cells[i]) ++changed;
  }
  return changed;
}

// An animated idle frame: the clock moves on by one frame period and the frame is
// drawn against the previous one, as the loops do between key presses.
void BM_DrawInner(benchmark::State& state) {
  auto width = static_cast<std::uint16_t>(state.range(0));
  auto height = static_cast<std::uint16_t>(state.range(1));
  render::View view = view_in(static_cast<Mode>(state.range(2)));
  Game game = Game::authored();
  StringOutput out;
  if (!view.draw_inner(render::prototype_scene(game), render::prototype_presentation(game), width, height, out))
    state.SkipWithError("flush");
  std::size_t bytes = 0;
  for (auto _ : state) {
    out.clear();
    view.advance(kFrameSeconds);
    if (!view.draw_inner(render::prototype_scene(game), render::prototype_presentation(game), width, height, out))
      state.SkipWithError("flush");
    bytes += out.bytes().size();
  }
  state.counters["bytes_per_frame"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DrawInner)
    ->ArgNames({"width", "height", "mode"})
    ->ArgsProduct({{90}, {30}, {0, 1, 2}})
    ->Args({160, 50, 0})
    ->Args({160, 50, 1})
    ->Args({160, 50, 2})
    ->Args({240, 70, 0})
    ->Args({240, 70, 1})
    ->Args({240, 70, 2})
    ->Unit(benchmark::kMicrosecond);

// The first frame is a full redraw of every cell.
void BM_FirstFrame(benchmark::State& state) {
  Game game = Game::authored();
  StringOutput out;
  std::size_t bytes = 0;
  for (auto _ : state) {
    render::View view;
    out.clear();
    if (!view.draw_inner(render::prototype_scene(game), render::prototype_presentation(game), 160, 50, out))
      state.SkipWithError("flush");
    bytes += out.bytes().size();
  }
  state.counters["bytes_per_frame"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMicrosecond);

// Idle animated frames at 160 x 50 in GLYPHS mode: only motes, flames, the pool
// and the crystals' glow change, so only those cells are sent.
void BM_IdleFrames(benchmark::State& state) {
  Game game = Game::authored();
  render::View view;
  StringOutput out;
  if (!view.draw_inner(render::prototype_scene(game), render::prototype_presentation(game), 160, 50, out))
    state.SkipWithError("flush");
  std::size_t bytes = 0;
  std::size_t changed = 0;
  for (auto _ : state) {
    out.clear();
    view.advance(kFrameSeconds);
    render::Screen next = view.compose(render::prototype_scene(game), render::prototype_presentation(game), 160, 50);
    changed += changed_cells(next, view.previous);
    if (!render::flush(std::move(next), view.previous, out)) state.SkipWithError("flush");
    bytes += out.bytes().size();
  }
  state.counters["bytes_per_frame"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
  state.counters["changed_cells_per_frame"] =
      benchmark::Counter(static_cast<double>(changed), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_IdleFrames)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
