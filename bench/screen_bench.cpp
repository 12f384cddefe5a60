// How long turning a composed frame into terminal bytes takes: a full redraw, a
// typical animation frame with a few changed cells, and an unchanged frame.

#include <benchmark/benchmark.h>

#include "render/art.hpp"
#include "render/screen.hpp"

namespace burrowlight {
namespace {

constexpr std::uint16_t kWidth = 160;
constexpr std::uint16_t kHeight = 50;

// Counts bytes instead of keeping them, so only the composing of the update is measured.
class CountingOutput final : public Output {
 public:
  Result<void> write(std::string_view bytes) override {
    written += bytes.size();
    return {};
  }
  Result<void> flush() override { return {}; }
  std::size_t written = 0;
};

// A frame like the pixel map: every cell a half block with its own colours.
render::Screen pixel_frame(float t) {
  render::Screen screen(kWidth, kHeight);
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      render::Rgb upper = render::art::terrain(Tile::ReflectingPool, x / 4, y / 2, (x % 4) * 2, (y % 2) * 4, t);
      render::Rgb lower = render::art::terrain(Tile::MossAndGrass, x / 4, y / 2, (x % 4) * 2, 1 + (y % 2) * 4, t);
      screen.put(x, y, U'▀', upper, lower);
    }
  }
  return screen;
}

void BM_FullRedraw(benchmark::State& state) {
  const render::Screen frame = pixel_frame(0.0f);
  CountingOutput out;
  for (auto _ : state) {
    std::optional<render::Screen> previous;
    auto result = render::flush(frame, previous, out);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(out.written));
  state.counters["bytes_per_frame"] =
      static_cast<double>(out.written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FullRedraw);

void BM_FewCellsChanged(benchmark::State& state) {
  const render::Screen before = pixel_frame(0.0f);
  render::Screen after = before;
  for (std::int32_t n = 0; n < 25; ++n) {
    after.text((n * 37) % kWidth, (n * 11) % kHeight, "·", render::Rgb{211, 224, 153});
  }
  CountingOutput out;
  for (auto _ : state) {
    std::optional<render::Screen> previous = before;
    auto result = render::flush(after, previous, out);
    benchmark::DoNotOptimize(result);
  }
  state.counters["bytes_per_frame"] =
      static_cast<double>(out.written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FewCellsChanged);

void BM_UnchangedFrame(benchmark::State& state) {
  const render::Screen frame = pixel_frame(0.0f);
  std::optional<render::Screen> previous = frame;
  CountingOutput out;
  for (auto _ : state) {
    auto result = render::flush(frame, previous, out);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_UnchangedFrame);

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
