// What the headless expedition costs as a driving program sees it: "look" lines and refused
// actions through the whole program, beside cat moving the same bytes and the bare writes
// of the same replies; and accepted actions on the data disk and on memory, beside the bare
// system calls of the same save writes. An accepted action is a save write, so that is its
// floor.

#include <benchmark/benchmark.h>
#include <sys/random.h>

#include <cstdlib>
#include <iostream>

#include "bare_save_write.hpp"
#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"
#include "headless/expedition_reply.hpp"
#include "pipes.hpp"

namespace burrowlight {

namespace fs = std::filesystem;

namespace {

constexpr int kManyLines = 20000;
constexpr int kActions = static_cast<int>(expedition::kActionLimit);

// Where the benchmark writes: a directory on the device of the program's build tree (the
// data disk) and one on memory.
struct Places {
  fs::path disk;
  fs::path memory;
};

fs::path make_directory(const fs::path& base) {
  std::string pattern = (base / "burrowlight-expedition-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "cannot create a directory in " << base << "\n";
    std::exit(1);
  }
  return pattern;
}

// Many lines of one kind against a practice save that exists already, so that no line of
// the run writes the save; and the same replies for the floors.
struct Answers {
  fs::path save;
  fs::path input;
  fs::path replies;
  std::string replies_bytes;
};

std::optional<Answers> prepare_answers(const fs::path& directory, std::string_view name,
                                       std::string_view line) {
  Answers answers{directory / (std::string(name) + ".json"),
                  directory / (std::string(name) + "-input.txt"),
                  directory / (std::string(name) + "-replies.txt"),
                  {}};
  bench::write_file(answers.input, "");
  if (!bench::run_program({BURROWLIGHT_BINARY, "--headless", "--new", "--seed", "0", "--save",
                           answers.save.string()},
                          answers.input)) {
    return std::nullopt;
  }
  bench::write_file(answers.input, bench::repeated_lines({line}, kManyLines));
  auto captured = bench::run_program(
      {BURROWLIGHT_BINARY, "--headless", "--save", answers.save.string()}, answers.input, true);
  if (!captured) return std::nullopt;
  answers.replies_bytes = std::move(captured->bytes);
  bench::write_file(answers.replies, answers.replies_bytes);
  return answers;
}

void count_replies(benchmark::State& state, std::size_t lines, double cpu_seconds = 0) {
  state.counters["replies_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * lines), benchmark::Counter::kIsRate);
  if (cpu_seconds > 0) {
    state.counters["replies_per_cpu_second"] =
        static_cast<double>(state.iterations() * lines) / cpu_seconds;
  }
}

void BM_ProgramAnswers(benchmark::State& state, const Answers& answers) {
  std::size_t lines = 0;
  double cpu_seconds = 0;
  for (auto _ : state) {
    auto ran = bench::run_program(
        {BURROWLIGHT_BINARY, "--headless", "--save", answers.save.string()}, answers.input);
    if (!ran || ran->lines != kManyLines + 1) {
      state.SkipWithError("the program did not answer every line");
      return;
    }
    lines = ran->lines;
    cpu_seconds += ran->cpu_seconds;
  }
  count_replies(state, lines, cpu_seconds);
}

void BM_CatOfTheSameBytes(benchmark::State& state, const Answers& answers) {
  std::size_t lines = 0;
  for (auto _ : state) {
    auto ran = bench::cat_file(answers.replies);
    if (!ran) {
      state.SkipWithError("cat failed");
      return;
    }
    lines = ran->lines;
  }
  count_replies(state, lines);
}

void BM_EachReplyWritten(benchmark::State& state, const Answers& answers) {
  const std::vector<std::string_view> replies = bench::lines_of(answers.replies_bytes);
  for (auto _ : state) {
    if (!bench::write_each(replies)) {
      state.SkipWithError("the writer failed");
      return;
    }
  }
  count_replies(state, replies.size());
}

// The program's own work for one reply, without a process or a pipe.
void BM_ExpeditionReplyInMemory(benchmark::State& state) {
  auto run = expedition::Run::start(Record::practice(0));
  headless::ExpeditionReplyWriter replies;
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string_view reply = replies.expedition_observation(*run);
    benchmark::DoNotOptimize(reply.data());
    bytes = reply.size();
  }
  state.counters["bytes_per_reply"] = static_cast<double>(bytes);
}

// The words of a whole run of accepted actions: east and west in turn, so that every
// action moves the player and the view is worked out anew.
std::string_view accepted_word(int index) { return index % 2 == 0 ? "east" : "west"; }

// A whole run of `actions` accepted actions, each written before it is answered. The
// program also starts, creates the save and writes its first reply: a run without actions
// measures that part, so that the difference is what the actions cost.
void accepted_actions(benchmark::State& state, const fs::path& directory, int actions) {
  const fs::path save = directory / "accepted.json";
  const fs::path input = directory / "accepted-input.txt";
  bench::write_file(input, bench::repeated_lines({accepted_word(0), accepted_word(1)}, actions));
  double cpu_seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(directory / "archive");
    fs::remove(save);
    state.ResumeTiming();
    auto ran = bench::run_program(
        {BURROWLIGHT_BINARY, "--headless", "--new", "--seed", "0", "--save", save.string()}, input);
    if (!ran || ran->lines != static_cast<std::size_t>(actions) + 1) {
      state.SkipWithError("the program did not accept every action");
      return;
    }
    cpu_seconds += ran->cpu_seconds;
  }
  state.counters["cpu_ms_per_run"] = 1e3 * cpu_seconds / static_cast<double>(state.iterations());
}

void BM_AcceptedActions(benchmark::State& state, const fs::path& directory) {
  accepted_actions(state, directory, kActions);
}

void BM_StartWithoutActions(benchmark::State& state, const fs::path& directory) {
  accepted_actions(state, directory, 0);
}

// The bytes of the save after each of the 512 accepted actions.
std::vector<std::string> saves_of_the_run() {
  std::vector<std::string> saves;
  Record record = Record::practice(0);
  for (int index = 0; index < kActions; ++index) {
    record.actions.push_back(expedition::Action::parse(accepted_word(index))->code());
    saves.push_back(record.to_pretty_json());
  }
  return saves;
}

// The replies of the 512 accepted actions, without the first observation.
std::optional<std::string> replies_of_accepted_run(const fs::path& directory) {
  const fs::path input = directory / "replies-input.txt";
  bench::write_file(input, bench::repeated_lines({accepted_word(0), accepted_word(1)}, kActions));
  auto ran = bench::run_program({BURROWLIGHT_BINARY, "--headless", "--new", "--seed", "0", "--save",
                                 (directory / "replies.json").string()},
                                input, true);
  if (!ran || ran->lines != static_cast<std::size_t>(kActions) + 1) return std::nullopt;
  return ran->bytes.substr(ran->bytes.find('\n') + 1);
}

// The system calls of one save write with these bytes, and nothing around them: random
// name, temporary file, write, flush, rename, directory flush.
bool bare_write(const fs::path& directory, const std::string& bytes) {
  std::array<std::uint8_t, 8> suffix{};
  const bool named =
      ::getrandom(suffix.data(), suffix.size(), 0) == static_cast<ssize_t>(suffix.size());
  const std::string folder = directory.string();
  const std::string temporary = folder + "/.bare-" + record::hex(suffix) + ".tmp";
  return named && bench::bare_save_write(folder, temporary, folder + "/bare.json", bytes);
}

// The same 512 save writes with the same bytes, and nothing else.
void BM_BareSaveWrites(benchmark::State& state, const fs::path& directory) {
  const std::vector<std::string> saves = saves_of_the_run();
  for (auto _ : state) {
    for (const std::string& bytes : saves) {
      if (!bare_write(directory, bytes)) {
        state.SkipWithError("a bare system call failed");
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kActions));
}

// Everything an accepted action must do with the system: its save write, then its reply
// written into a pipe that a client reads.
void BM_BareSaveWritesAndReplies(benchmark::State& state, const fs::path& directory,
                                 const std::string& replies) {
  const std::vector<std::string> saves = saves_of_the_run();
  const std::vector<std::string_view> lines = bench::lines_of(replies);
  for (auto _ : state) {
    if (!bench::write_each(
            lines, [&](std::size_t index) { return bare_write(directory, saves[index]); })) {
      state.SkipWithError("a bare system call failed");
      return;
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kActions));
}

}  // namespace
}  // namespace burrowlight

int main(int argc, char** argv) {
  using namespace burrowlight;
  const Places places{
      make_directory(fs::path(BURROWLIGHT_BINARY).parent_path()),
      make_directory(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path())};
  const auto looks = prepare_answers(places.memory, "looks", "look");
  // The start cell holds no portal, so every line goes through the rules and is refused.
  const auto refusals = prepare_answers(places.memory, "refusals", "portal");
  const std::optional<std::string> accepted_replies = replies_of_accepted_run(places.memory);
  if (!looks || !refusals || !accepted_replies) {
    std::cerr << "the program failed to prepare its saves\n";
    return 1;
  }

  benchmark::RegisterBenchmark("BM_ExpeditionReplyInMemory", BM_ExpeditionReplyInMemory);
  // Short rounds in turn, so that a neighbour's load falls on each figure and its floors alike.
  for (int round = 0; round < 4; ++round) {
    for (const auto& [name, answers] :
         {std::pair{"Looks", &*looks}, std::pair{"Refusals", &*refusals}}) {
      benchmark::RegisterBenchmark((std::string("BM_ProgramAnswers/") + name).c_str(),
                                   BM_ProgramAnswers, *answers)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(3);
      benchmark::RegisterBenchmark((std::string("BM_CatOfTheSameBytes/") + name).c_str(),
                                   BM_CatOfTheSameBytes, *answers)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(3);
      benchmark::RegisterBenchmark((std::string("BM_EachReplyWritten/") + name).c_str(),
                                   BM_EachReplyWritten, *answers)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(3);
    }
    // The two measurements of a place flush to the same device, alternating likewise.
    for (const auto& [place, directory] :
         {std::pair{"disk", places.disk}, std::pair{"memory", places.memory}}) {
      const int iterations = place == std::string_view("disk") ? 1 : 10;
      benchmark::RegisterBenchmark((std::string("BM_StartWithoutActions/") + place).c_str(),
                                   BM_StartWithoutActions, directory)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(10);
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
      benchmark::RegisterBenchmark((std::string("BM_BareSaveWritesAndReplies/") + place).c_str(),
                                   BM_BareSaveWritesAndReplies, directory, *accepted_replies)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(iterations);
    }
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(places.disk);
  fs::remove_all(places.memory);
  return 0;
}
