// What one headless prototype reply costs: building the observation of the start,
// encoding it, and writing it; and how many "look" lines per second the whole
// program answers through pipes, beside the time cat needs to move the same bytes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/line_protocol.hpp"
#include "app/prototype_loop.hpp"
#include "core/game.hpp"
#include "core/stream.hpp"
#include "headless/observations.hpp"

namespace burrowlight {
namespace {

constexpr int kLookLines = 10000;

void BM_ObservationOfTheStart(benchmark::State& state) {
  const Game game = Game::authored();
  for (auto _ : state) {
    nlohmann::json observed = headless::prototype_observation(game);
    benchmark::DoNotOptimize(observed);
  }
}
BENCHMARK(BM_ObservationOfTheStart)->Unit(benchmark::kMicrosecond);

// The cost of every reply that follows a change of the game.
void BM_ObservationEncodedAndWritten(benchmark::State& state) {
  const Game game = Game::authored();
  StringOutput out;
  std::size_t bytes = 0;
  for (auto _ : state) {
    out.clear();
    auto written = respond(out, headless::prototype_observation(game));
    benchmark::DoNotOptimize(written);
    bytes = out.bytes().size();
  }
  state.counters["bytes_per_reply"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ObservationEncodedAndWritten)->Unit(benchmark::kMicrosecond);

// A whole session of "wait" lines in memory: each one changes the game, so every
// reply is built and encoded afresh.
void BM_WaitLinesInMemory(benchmark::State& state) {
  std::string input;
  for (int line = 0; line < 100; ++line) input += "wait\n";
  for (auto _ : state) {
    StringInput in(input);
    StringOutput out;
    auto ended = headless::run_prototype(in, out);
    benchmark::DoNotOptimize(ended);
  }
  state.counters["lines_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * 101), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WaitLinesInMemory)->Unit(benchmark::kMillisecond);

std::filesystem::path scratch(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("burrowlight_agent_bench_" + name);
}

// Runs `command` in the shell and drains its standard output; returns the bytes read.
std::size_t drain(const std::string& command) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return 0;
  std::size_t total = 0;
  std::vector<char> buffer(1 << 16);
  while (std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) total += count;
  ::pclose(pipe);
  return total;
}

std::string quoted(const std::filesystem::path& path) {
  std::string text = "'";
  text.append(path.string()).append("'");
  return text;
}

// The program itself, spawned and fed through pipes, as a driving program sees it.
void BM_ProgramAnswersLookLines(benchmark::State& state) {
  std::filesystem::path input = scratch("looks.txt");
  {
    std::ofstream file(input);
    for (int line = 0; line < kLookLines; ++line) file << "look\n";
  }
  std::string command =
      std::string("'") + BURROWLIGHT_BINARY + "' --prototype --headless < " + quoted(input);
  std::size_t bytes = 0;
  for (auto _ : state) bytes = drain(command);
  std::filesystem::remove(input);
  state.counters["bytes_out"] = static_cast<double>(bytes);
  state.counters["lines_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * (kLookLines + 1)), benchmark::Counter::kIsRate);
  if (bytes == 0) state.SkipWithError("the program wrote nothing");
}
BENCHMARK(BM_ProgramAnswersLookLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor under the figure above: cat moving the same number of bytes through a pipe.
void BM_CatMovesTheSameBytes(benchmark::State& state) {
  std::filesystem::path output = scratch("replies.txt");
  std::filesystem::path input = scratch("looks_for_cat.txt");
  {
    std::ofstream file(input);
    for (int line = 0; line < kLookLines; ++line) file << "look\n";
  }
  std::string capture = std::string("'") + BURROWLIGHT_BINARY + "' --prototype --headless < " +
                        quoted(input) + " > " + quoted(output);
  if (std::system(capture.c_str()) != 0) state.SkipWithError("the program failed");
  std::string command = "cat " + quoted(output);
  std::size_t bytes = 0;
  for (auto _ : state) bytes = drain(command);
  std::filesystem::remove(output);
  std::filesystem::remove(input);
  state.counters["bytes_out"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CatMovesTheSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
