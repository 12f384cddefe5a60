// How long rebuilding a full run from its record takes, and what an atomic save write
// costs beside the bare system calls it is made of, in the same directory.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>

#include "app/save.hpp"
#include "bare_save_write.hpp"
#include "core/expedition_record.hpp"

namespace burrowlight {
namespace {

// A full run of 512 actions that the rules accept, drawn from a fixed random sequence.
Record full_record() {
  record::Secret secret{};
  for (std::size_t index = 0; index < secret.size(); ++index)
    secret[index] = static_cast<std::uint8_t>(index * 7);
  Record record(secret);
  Expedition expedition(record.seed);
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> any_code(1, 11);
  while (record.actions.size() < expedition::kActionLimit) {
    const auto code = static_cast<std::uint8_t>(any_code(random));
    if (expedition.apply(*expedition::Action::from_code(code))) record.actions.push_back(code);
  }
  return record;
}

void BM_ReplayFullRecord(benchmark::State& state) {
  const Record record = full_record();
  for (auto _ : state) {
    auto expedition = record.replay();
    benchmark::DoNotOptimize(expedition);
  }
}
BENCHMARK(BM_ReplayFullRecord);

void BM_ReadFullSave(benchmark::State& state) {
  const std::string text = full_record().to_pretty_json();
  for (auto _ : state) {
    auto record = Record::from_json(text);
    benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadFullSave);

void BM_PrettyFullSave(benchmark::State& state) {
  const Record record = full_record();
  for (auto _ : state) {
    auto text = record.to_pretty_json();
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_PrettyFullSave);

void BM_SaveWrite(benchmark::State& state, const std::string& directory) {
  const Record record = full_record();
  const std::string path = directory + "/expedition.json";
  const auto held = app::Save::lock(path);
  if (!held) {
    state.SkipWithError(held.error().text().c_str());
    return;
  }
  for (auto _ : state) {
    if (auto written = held->write(record); !written) {
      state.SkipWithError(written.error().text().c_str());
      break;
    }
  }
}

// The same system calls with the same bytes, and nothing around them.
void BM_BareSystemCalls(benchmark::State& state, const std::string& directory) {
  const std::string bytes = full_record().to_pretty_json();
  const std::string path = directory + "/bare.json";
  std::uint64_t counter = 0;
  for (auto _ : state) {
    const std::string temporary = directory + "/.bare-" + std::to_string(counter++) + ".tmp";
    if (!bench::bare_save_write(directory, temporary, path, bytes)) {
      state.SkipWithError("a bare system call failed");
      break;
    }
  }
}

// Prints the usual table, then how much the save write costs over its bare system
// calls, from all rounds of both together.
class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      if (run.run_name.function_name == "BM_SaveWrite") save_write_.add(run);
      if (run.run_name.function_name == "BM_BareSystemCalls") bare_.add(run);
    }
  }

  void print_ratio() const {
    if (save_write_.iterations == 0 || bare_.iterations == 0) return;
    std::cout << "Save::write " << save_write_.milliseconds() << " ms, bare system calls "
              << bare_.milliseconds()
              << " ms: " << save_write_.milliseconds() / bare_.milliseconds()
              << "x (goal: within 1.2x)\n";
  }

 private:
  struct Total {
    double seconds = 0;
    double iterations = 0;
    void add(const Run& run) {
      seconds += run.real_accumulated_time;
      iterations += static_cast<double>(run.iterations);
    }
    double milliseconds() const { return 1000 * seconds / iterations; }
  };

  Total save_write_;
  Total bare_;
};

}  // namespace
}  // namespace burrowlight

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "burrowlight-save-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string directory = pattern;

  // Both measurements flush to the same device; they alternate in short rounds so that
  // a neighbour's disk activity falls on both alike.
  for (int round = 0; round < 3; ++round) {
    benchmark::RegisterBenchmark("BM_SaveWrite", burrowlight::BM_SaveWrite, directory)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.5);
    benchmark::RegisterBenchmark("BM_BareSystemCalls", burrowlight::BM_BareSystemCalls, directory)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.5);
  }

  benchmark::Initialize(&argc, argv);
  burrowlight::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratio();
  benchmark::Shutdown();
  fs::remove_all(directory);
  return 0;
}
