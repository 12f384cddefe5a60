// What the headless expedition costs as a driving program sees it: the whole program
// answering 10,000 "look" lines and 10,000 refused actions, and accepted actions per
// second on the data disk and on memory, each beside the bare system calls of the same
// save writes. An accepted action is a save write, so that is its floor.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/expedition_loop.hpp"
#include "app/session.hpp"
#include "bare_save_write.hpp"
#include "core/expedition_record.hpp"
#include "core/stream.hpp"

extern char** environ;

namespace burrowlight {
namespace {

namespace fs = std::filesystem;

constexpr int kManyLines = 10000;

// Where the benchmark writes: a directory on the device of the program's build tree
// (the data disk) and one on memory.
struct Places {
  fs::path disk;
  fs::path memory;
};

fs::path make_directory(const fs::path& base) {
  std::string pattern = (base / "burrowlight-agent-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "cannot create a directory in " << base << "\n";
    std::exit(1);
  }
  return pattern;
}

void write_lines(const fs::path& path, std::string_view line, int count) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (int index = 0; index < count; ++index) file << line << '\n';
}

// What one run of the program did: its reply lines, and the processor time it used, which
// unlike the elapsed time does not grow when other work shares the machine.
struct Ran {
  std::size_t lines;
  double cpu_seconds;
};

double seconds_of(const timeval& time) {
  return static_cast<double>(time.tv_sec) + 1e-6 * static_cast<double>(time.tv_usec);
}

// Runs the program with `arguments`, its standard input read from `input`, and drains its
// standard output through a pipe. Returns nothing when the program failed.
std::optional<Ran> run_program(const std::vector<std::string>& arguments, const fs::path& input) {
  std::array<int, 2> pipe_ends{};
  if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);

  std::vector<std::string> words = {BURROWLIGHT_BINARY};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, BURROWLIGHT_BINARY, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);
  std::size_t lines = 0;
  std::array<char, 1 << 16> buffer{};
  while (spawned == 0) {
    const ssize_t count = ::read(pipe_ends[0], buffer.data(), buffer.size());
    if (count <= 0) break;
    lines += static_cast<std::size_t>(std::count(buffer.begin(), buffer.begin() + count, '\n'));
  }
  ::close(pipe_ends[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return Ran{lines, seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime)};
}

// 10,000 lines of one kind against a practice save that already exists, so that no line
// of the run writes the save.
void program_answers(benchmark::State& state, const fs::path& directory, std::string_view line) {
  const fs::path save = directory / "answers.json";
  const fs::path input = directory / "answers-input.txt";
  write_lines(input, "", 0);
  if (!run_program({"--headless", "--new", "--seed", "0", "--save", save.string()}, input)) {
    state.SkipWithError("the practice save could not be created");
    return;
  }
  write_lines(input, line, kManyLines);
  double cpu_seconds = 0;
  for (auto _ : state) {
    auto ran = run_program({"--headless", "--save", save.string()}, input);
    if (!ran || ran->lines != kManyLines + 1) {
      state.SkipWithError("the program did not answer every line");
      break;
    }
    cpu_seconds += ran->cpu_seconds;
  }
  const auto lines = static_cast<double>(state.iterations() * kManyLines);
  state.counters["lines_per_second"] = benchmark::Counter(lines, benchmark::Counter::kIsRate);
  state.counters["lines_per_cpu_second"] = lines / cpu_seconds;
}

void BM_ProgramAnswersLookLines(benchmark::State& state, const fs::path& directory) {
  program_answers(state, directory, "look");
}

// The start cell holds no portal, so every line goes through the rules and is refused.
void BM_ProgramAnswersRefusedActions(benchmark::State& state, const fs::path& directory) {
  program_answers(state, directory, "portal");
}

// The part of a reply that is the program's own work, without a process or a pipe.
void BM_LookLinesInMemory(benchmark::State& state, const fs::path& directory) {
  std::string input;
  for (int line = 0; line < 1000; ++line) input += "look\n";
  const std::string save = (directory / "memory.json").string();
  for (auto _ : state) {
    auto session = expedition::open(save, true, 0);
    if (!session) {
      state.SkipWithError(session.error().text().c_str());
      break;
    }
    StringInput in(input);
    StringOutput out;
    auto ended = headless::run_expedition(std::move(*session), in, out);
    benchmark::DoNotOptimize(ended);
  }
  state.counters["lines_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * 1000), benchmark::Counter::kIsRate);
}

// A whole run of 512 accepted actions, each written before it is answered. The program
// also starts, creates the save and writes its first reply, all counted here.
void BM_AcceptedActions(benchmark::State& state, const fs::path& directory) {
  const fs::path save = directory / "accepted.json";
  const fs::path input = directory / "accepted-input.txt";
  write_lines(input, "wait", static_cast<int>(expedition::kActionLimit));
  double cpu_seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(directory / "archive");
    fs::remove(save);
    state.ResumeTiming();
    auto ran = run_program({"--headless", "--new", "--seed", "0", "--save", save.string()}, input);
    if (!ran || ran->lines != expedition::kActionLimit + 1) {
      state.SkipWithError("the program did not accept every action");
      break;
    }
    cpu_seconds += ran->cpu_seconds;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * expedition::kActionLimit));
  state.counters["cpu_us_per_action"] =
      1e6 * cpu_seconds / static_cast<double>(state.iterations() * expedition::kActionLimit);
}

// The system calls of the same 512 save writes with the same bytes, and nothing around
// them: random name, temporary file, write, flush, rename, directory flush.
void BM_BareSaveWrites(benchmark::State& state, const fs::path& directory) {
  std::vector<std::string> saves;
  Record record = Record::practice(0);
  for (std::uint64_t turn = 0; turn < expedition::kActionLimit; ++turn) {
    record.actions.push_back(11);
    saves.push_back(record.to_pretty_json());
  }
  const std::string path = (directory / "bare.json").string();
  const std::string folder = directory.string();
  for (auto _ : state) {
    for (const std::string& bytes : saves) {
      std::array<std::uint8_t, 8> suffix{};
      const bool named =
          ::getrandom(suffix.data(), suffix.size(), 0) == static_cast<ssize_t>(suffix.size());
      const std::string temporary = folder + "/.bare-" + record::hex(suffix) + ".tmp";
      if (!named || !bench::bare_save_write(folder, temporary, path, bytes)) {
        state.SkipWithError("a bare system call failed");
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * expedition::kActionLimit));
}

// Prints the usual table, then each place's accepted actions beside its bare writes,
// from all rounds together.
class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      const std::string place = name.substr(name.find('/') + 1);
      if (name.starts_with("BM_AcceptedActions/")) {
        // The program's processor time is its own, not the benchmark's.
        const auto counter = run.counters.find("cpu_us_per_action");
        const double cpu = counter == run.counters.end() ? 0 : counter->second.value;
        accepted_[place].add(
            run, cpu * 1e-6 * static_cast<double>(run.iterations * expedition::kActionLimit));
      }
      if (name.starts_with("BM_BareSaveWrites/")) bare_[place].add(run, run.cpu_accumulated_time);
    }
  }

  void print_ratios() const {
    for (const auto& [place, accepted] : accepted_) {
      auto bare = bare_.find(place);
      if (bare == bare_.end()) continue;
      std::cout << place << ": " << accepted.per_second()
                << " accepted actions/s through the program, " << bare->second.per_second()
                << " bare save writes/s: " << bare->second.per_second() / accepted.per_second()
                << "x (goal: within 1.3x); processor time " << accepted.cpu_microseconds()
                << " us per action, " << bare->second.cpu_microseconds() << " us per bare write\n";
    }
  }

 private:
  struct Total {
    double seconds = 0;
    double cpu_seconds = 0;
    double iterations = 0;
    void add(const Run& run, double run_cpu_seconds) {
      seconds += run.real_accumulated_time;
      cpu_seconds += run_cpu_seconds;
      iterations += static_cast<double>(run.iterations);
    }
    double actions() const { return iterations * static_cast<double>(expedition::kActionLimit); }
    double per_second() const { return actions() / seconds; }
    double cpu_microseconds() const { return 1e6 * cpu_seconds / actions(); }
  };

  std::map<std::string, Total> accepted_;
  std::map<std::string, Total> bare_;
};

}  // namespace
}  // namespace burrowlight

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using namespace burrowlight;
  const Places places{
      make_directory(fs::path(BURROWLIGHT_BINARY).parent_path()),
      make_directory(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path())};

  benchmark::RegisterBenchmark("BM_ProgramAnswersLookLines", BM_ProgramAnswersLookLines,
                               places.memory)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_ProgramAnswersRefusedActions", BM_ProgramAnswersRefusedActions,
                               places.memory)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_LookLinesInMemory", BM_LookLinesInMemory, places.memory)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  // The two measurements of a place flush to the same device; they alternate in short
  // rounds so that a neighbour's disk activity falls on both alike.
  for (int round = 0; round < 3; ++round) {
    for (const auto& [place, directory] :
         {std::pair{"disk", places.disk}, std::pair{"memory", places.memory}}) {
      const int iterations = place == std::string_view("disk") ? 1 : 5;
      benchmark::RegisterBenchmark((std::string("BM_AcceptedActions/") + place).c_str(),
                                   BM_AcceptedActions, directory)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(iterations);
      benchmark::RegisterBenchmark((std::string("BM_BareSaveWrites/") + place).c_str(),
                                   BM_BareSaveWrites, directory)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(iterations);
    }
  }

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratios();
  benchmark::Shutdown();
  fs::remove_all(places.disk);
  fs::remove_all(places.memory);
  return 0;
}
