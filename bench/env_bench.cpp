// Steps of the in-process environments: one expedition stepped with its array observation,
// a batch of 1,024, and a snapshot and its restore. Each runs five times: the report takes
// the best, the figure the machine allows when nothing else runs on it.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/vector_env.hpp"

namespace burrowlight {
namespace {

// A fixed stream of action indices, uniform over the twelve but for "finish", so that
// runs last: moves, digs, flasks, portals and waits, accepted or refused.
std::vector<std::int64_t> random_actions(std::size_t count) {
  std::mt19937_64 random(20261208);
  std::vector<std::int64_t> actions(count);
  for (std::int64_t& action : actions) {
    action = static_cast<std::int64_t>(random() % env::kFinish);
  }
  return actions;
}

void BM_ExpeditionStepAndObserve(benchmark::State& state) {
  const std::vector<std::int64_t> actions = random_actions(1 << 16);
  env::ExpeditionEnv environment;
  env::ExpeditionObservation observation;
  std::size_t next = 0;
  std::uint64_t seed = 0;
  for (auto _ : state) {
    const env::ExpeditionStep result =
        environment.step(static_cast<std::size_t>(actions[next++ % actions.size()]));
    environment.observe(observation);
    benchmark::DoNotOptimize(observation);
    if (result.terminated || result.truncated) environment.reset(++seed);
  }
  state.counters["steps_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExpeditionStepAndObserve)->Repetitions(5);

void BM_VectorOf1024(benchmark::State& state) {
  constexpr std::size_t kCount = 1024;
  const std::vector<std::int64_t> actions = random_actions(kCount * 64);
  env::VectorExpeditionEnv environments(kCount);
  std::vector<std::uint8_t> map(kCount * kCellsPerFloor);
  std::vector<std::int32_t> position(kCount * 2), floor(kCount), charge(kCount), score(kCount),
      turn(kCount);
  std::vector<std::int64_t> reward(kCount);
  std::unique_ptr<bool[]> finished(new bool[kCount]), terminated(new bool[kCount]),
      truncated(new bool[kCount]), legal(new bool[kCount * env::kExpeditionActionCount]);
  const env::ExpeditionBatch batch{map.data(),    position.data(),  floor.data(),   charge.data(),
                                   score.data(),  turn.data(),      finished.get(), legal.get(),
                                   reward.data(), terminated.get(), truncated.get()};
  environments.reset(0, batch);
  std::size_t round = 0;
  for (auto _ : state) {
    environments.step(std::span(actions).subspan((round++ % 64) * kCount, kCount), batch);
    benchmark::DoNotOptimize(map.data());
  }
  state.counters["steps_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kCount), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VectorOf1024)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SnapshotAndRestore(benchmark::State& state) {
  env::ExpeditionEnv environment;
  for (std::int64_t action : random_actions(200)) {
    environment.step(static_cast<std::size_t>(action));
  }
  for (auto _ : state) {
    env::ExpeditionState snapshot = environment.state();
    environment.restore(snapshot);
    benchmark::DoNotOptimize(snapshot);
  }
}
BENCHMARK(BM_SnapshotAndRestore)->Repetitions(5);

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
