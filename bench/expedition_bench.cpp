// How long generating an expedition and applying one action take.

#include <benchmark/benchmark.h>

#include "core/expedition_actions.hpp"
#include "core/expedition.hpp"

namespace burrowlight {
namespace {

void BM_GenerateExpedition(benchmark::State& state) {
  std::uint64_t seed = 0x9e3779b97f4a7c15ULL;
  for (auto _ : state) {
    Expedition expedition(seed);
    benchmark::DoNotOptimize(expedition);
    seed += 0x9e3779b97f4a7c15ULL;
  }
}
BENCHMARK(BM_GenerateExpedition);

// A copy per iteration, as the session applies each action to a copy.
void BM_ApplyMoveToACopy(benchmark::State& state) {
  const Expedition start(0);
  const expedition::Action east{expedition::Move{expedition::Direction::East}};
  for (auto _ : state) {
    Expedition copy = start;
    auto outcome = copy.apply(east);
    benchmark::DoNotOptimize(outcome);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_ApplyMoveToACopy);

void BM_ApplyWaitInPlace(benchmark::State& state) {
  Expedition expedition(0);
  const expedition::Action wait{expedition::Wait{}};
  for (auto _ : state) {
    expedition.turns = 0;
    auto outcome = expedition.apply(wait);
    benchmark::DoNotOptimize(outcome);
  }
}
BENCHMARK(BM_ApplyWaitInPlace);

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
