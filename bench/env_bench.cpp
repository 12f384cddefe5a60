// Steps of the in-process environments: one expedition stepped with its array observation,
// on two mixes of actions, beside the floor of a copy of that observation; a batch of
// 1,024; a snapshot and its restore. The step figures and their floor run in short rounds
// in turn, so that a neighbour's load falls on each alike; the report takes the best of
// each, the figure the machine allows when nothing else runs on it.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/vector_env.hpp"

namespace burrowlight {
namespace {

// A stream of action indices and the number of episodes it was made for: the stepping
// starts each next episode on seed (episode number % episodes).
struct ActionMix {
  std::vector<std::int64_t> actions;
  std::uint64_t episodes;
};

// Uniform over the twelve but for "finish", so that runs last: moves, digs, flasks,
// portals and waits, accepted or refused (most of them are refused).
ActionMix uniform_actions(std::size_t count) {
  std::mt19937_64 random(20261208);
  ActionMix mix{std::vector<std::int64_t>(count), 256};
  for (std::int64_t& action : mix.actions) {
    action = static_cast<std::int64_t>(random() % env::kFinish);
  }
  return mix;
}

// Whole episodes in which every action is one the rules accept, picked at random among
// the legal ones but "finish": each episode is exactly the action limit long, so the
// stream, stepped from its start, meets each of its episodes at that episode's first
// action.
ActionMix legal_actions_only(std::uint64_t episodes) {
  std::mt19937_64 random(20261209);
  ActionMix mix{{}, episodes};
  env::ExpeditionEnv environment;
  env::ExpeditionObservation observation;
  std::vector<std::int64_t> legal;
  for (std::uint64_t episode = 0; episode < episodes; ++episode) {
    environment.reset(episode);
    for (bool ended = false; !ended;) {
      environment.observe(observation);
      legal.clear();
      for (std::size_t index = 0; index < env::kFinish; ++index) {
        if (observation.at<env::ExpeditionField::Legal>()[index]) {
          legal.push_back(static_cast<std::int64_t>(index));
        }
      }
      const std::int64_t action = legal[random() % legal.size()];
      mix.actions.push_back(action);
      const env::ExpeditionStep result = environment.step(static_cast<std::size_t>(action));
      ended = result.terminated || result.truncated;
    }
  }
  return mix;
}

void BM_ExpeditionStepAndObserve(benchmark::State& state, const ActionMix& mix) {
  env::ExpeditionEnv environment;
  env::ExpeditionObservation observation;
  std::size_t next = 0;
  std::uint64_t episode = 0;
  environment.reset(0);
  for (auto _ : state) {
    const env::ExpeditionStep result =
        environment.step(static_cast<std::size_t>(mix.actions[next]));
    next = next + 1 == mix.actions.size() ? 0 : next + 1;
    environment.observe(observation);
    benchmark::DoNotOptimize(observation);
    if (result.terminated || result.truncated) environment.reset(++episode % mix.episodes);
  }
  state.counters["steps_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The floor of a step: the observation copied once, the least a step can do to hand it
// over.
void BM_ObservationCopy(benchmark::State& state) {
  env::ExpeditionEnv environment;
  env::ExpeditionObservation source;
  env::ExpeditionObservation observation;
  environment.observe(source);
  for (auto _ : state) {
    benchmark::DoNotOptimize(source);
    observation = source;
    benchmark::DoNotOptimize(observation);
  }
  state.counters["steps_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_VectorOf1024(benchmark::State& state, const ActionMix& mix) {
  constexpr std::size_t kCount = 1024;
  env::VectorExpeditionEnv environments(kCount);
  env::Columns<env::kExpeditionFields> observations(kCount);
  std::vector<std::int64_t> reward(kCount);
  std::unique_ptr<bool[]> terminated(new bool[kCount]), truncated(new bool[kCount]);
  const env::ExpeditionBatch batch{observations.rows(), reward.data(), terminated.get(),
                                   truncated.get()};
  environments.reset(0, batch);
  const std::size_t rounds = mix.actions.size() / kCount;
  std::size_t round = 0;
  for (auto _ : state) {
    environments.step(std::span(mix.actions).subspan((round++ % rounds) * kCount, kCount), batch);
    benchmark::DoNotOptimize(observations);
  }
  state.counters["steps_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kCount), benchmark::Counter::kIsRate);
}

void BM_SnapshotAndRestore(benchmark::State& state, const ActionMix& mix) {
  env::ExpeditionEnv environment;
  for (std::size_t index = 0; index < 200; ++index) {
    environment.step(static_cast<std::size_t>(mix.actions[index]));
  }
  for (auto _ : state) {
    env::ExpeditionState snapshot = environment.state();
    environment.restore(snapshot);
    benchmark::DoNotOptimize(snapshot);
  }
  // What a snapshot copies besides the record's actions.
  state.counters["state_bytes"] = static_cast<double>(sizeof(env::ExpeditionState));
}

}  // namespace
}  // namespace burrowlight

int main(int argc, char** argv) {
  using namespace burrowlight;
  const ActionMix uniform = uniform_actions(1 << 16);
  const ActionMix legal_only = legal_actions_only(128);

  for (int round = 0; round < 5; ++round) {
    benchmark::RegisterBenchmark("BM_ExpeditionStepAndObserve/uniform", BM_ExpeditionStepAndObserve,
                                 uniform);
    benchmark::RegisterBenchmark("BM_ExpeditionStepAndObserve/legal_only",
                                 BM_ExpeditionStepAndObserve, legal_only);
    benchmark::RegisterBenchmark("BM_ObservationCopy", BM_ObservationCopy);
  }
  // Wall time: the batch is shared out among threads, and the calling thread's time alone
  // would leave out the others' (the Python figures are wall time too).
  benchmark::RegisterBenchmark("BM_VectorOf1024", BM_VectorOf1024, uniform)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime()
      ->Repetitions(5);
  benchmark::RegisterBenchmark("BM_SnapshotAndRestore", BM_SnapshotAndRestore, uniform)
      ->Repetitions(5);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
