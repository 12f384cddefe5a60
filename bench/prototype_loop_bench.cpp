// What a headless prototype reply costs: writing the observation in memory, and replies
// that change the game (east and west in turn) through the whole program and a pipe, beside
// cat moving the same bytes and the bare writes of the same replies, in alternating rounds.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

#include "core/game.hpp"
#include "headless/prototype_reply.hpp"
#include "pipes.hpp"

namespace burrowlight {

namespace fs = std::filesystem;

namespace {

constexpr int kChangingLines = 4000;

struct Files {
  fs::path directory;
  fs::path input;
  fs::path replies;
  std::string replies_bytes;
};

void BM_PrototypeReplyInMemory(benchmark::State& state) {
  const Game game = Game::authored();
  headless::PrototypeReplyWriter replies;
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string_view reply = replies.prototype_observation(game);
    benchmark::DoNotOptimize(reply.data());
    bytes = reply.size();
  }
  state.counters["bytes_per_reply"] = static_cast<double>(bytes);
}

void count_replies(benchmark::State& state, std::size_t lines) {
  state.counters["replies_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * lines), benchmark::Counter::kIsRate);
}

void BM_ProgramChangingReplies(benchmark::State& state, const Files& files) {
  std::size_t lines = 0;
  double cpu_seconds = 0;
  for (auto _ : state) {
    auto ran = bench::run_program({BURROWLIGHT_BINARY, "--prototype", "--headless"}, files.input);
    if (!ran || ran->lines != kChangingLines + 1) {
      state.SkipWithError("the program did not answer every line");
      return;
    }
    lines = ran->lines;
    cpu_seconds += ran->cpu_seconds;
  }
  count_replies(state, lines);
  state.counters["cpu_us_per_reply"] =
      1e6 * cpu_seconds / static_cast<double>(state.iterations() * lines);
}

void BM_CatOfTheSameBytes(benchmark::State& state, const Files& files) {
  std::size_t lines = 0;
  for (auto _ : state) {
    auto ran = bench::cat_file(files.replies);
    if (!ran) {
      state.SkipWithError("cat failed");
      return;
    }
    lines = ran->lines;
  }
  count_replies(state, lines);
}

void BM_EachReplyWritten(benchmark::State& state, const Files& files) {
  const std::vector<std::string_view> replies = bench::lines_of(files.replies_bytes);
  for (auto _ : state) {
    if (!bench::write_each(replies)) {
      state.SkipWithError("the writer failed");
      return;
    }
  }
  count_replies(state, replies.size());
}

}  // namespace
}  // namespace burrowlight

int main(int argc, char** argv) {
  using namespace burrowlight;
  Files files;
  std::string pattern = (fs::temp_directory_path() / "burrowlight-prototype-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "cannot create a directory for the benchmark\n";
    return 1;
  }
  files.directory = pattern;
  files.input = files.directory / "east-west.txt";
  files.replies = files.directory / "replies.txt";
  bench::write_file(files.input, bench::repeated_lines({"east", "west"}, kChangingLines));
  auto captured =
      bench::run_program({BURROWLIGHT_BINARY, "--prototype", "--headless"}, files.input, true);
  if (!captured) {
    std::cerr << "the program failed\n";
    return 1;
  }
  files.replies_bytes = std::move(captured->bytes);
  bench::write_file(files.replies, files.replies_bytes);

  benchmark::RegisterBenchmark("BM_PrototypeReplyInMemory", BM_PrototypeReplyInMemory)
      ->Unit(benchmark::kMicrosecond);
  // Alternating short rounds, so that a neighbour's load falls on the figure and its floors alike.
  for (int round = 0; round < 3; ++round) {
    benchmark::RegisterBenchmark("BM_ProgramChangingReplies", BM_ProgramChangingReplies, files)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_CatOfTheSameBytes", BM_CatOfTheSameBytes, files)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_EachReplyWritten", BM_EachReplyWritten, files)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(files.directory);
  return 0;
}
