#pragma once
// A driving program's view of the headless modes: a child writes into a pipe that is
// drained here in large reads, as a client that keeps up would. The same drain measures
// the program, `cat` moving the same bytes, and the bare writes of the same replies, so
// that every figure stands beside its floors from the same run.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace burrowlight::bench {

namespace fs = std::filesystem;

// What one drained child wrote, and the processor time it used, which unlike the elapsed
// time does not grow when other work shares the machine.
struct Drained {
  std::string bytes;
  std::size_t lines = 0;
  double cpu_seconds = 0;
};

inline double seconds_of(const timeval& time) {
  return static_cast<double>(time.tv_sec) + 1e-6 * static_cast<double>(time.tv_usec);
}

// Reads the pipe to its end, keeping the bytes only when asked to, and reaps the child.
inline std::optional<Drained> drain(int read_end, pid_t child, bool keep) {
  Drained drained;
  std::array<char, 1 << 16> buffer{};
  while (true) {
    const ssize_t count = ::read(read_end, buffer.data(), buffer.size());
    if (count <= 0) break;
    drained.lines +=
        static_cast<std::size_t>(std::count(buffer.begin(), buffer.begin() + count, '\n'));
    if (keep) drained.bytes.append(buffer.data(), static_cast<std::size_t>(count));
  }
  ::close(read_end);
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  drained.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  return drained;
}

// Runs `arguments[0]` with the rest as its arguments, standard input read from `input`.
inline std::optional<Drained> run_program(const std::vector<std::string>& arguments,
                                          const fs::path& input, bool keep = false) {
  std::array<int, 2> pipe_ends{};
  if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  std::vector<std::string> words = arguments;
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);
  if (spawned != 0) {
    ::close(pipe_ends[0]);
    return std::nullopt;
  }
  return drain(pipe_ends[0], child, keep);
}

// The first floor: cat moving the bytes of `file` through the same kind of pipe.
inline std::optional<Drained> cat_file(const fs::path& file) {
  return run_program({"/bin/cat", file.string()}, "/dev/null");
}

// The second floor: a writer that only writes `replies` into the pipe, one write each, as
// a program that flushes every reply must; before reply i it calls `before(i)`, which
// returns false when it failed. The writer is a thread of this process, so that nothing
// but the writes and `before` is measured.
template <class Before>
std::optional<Drained> write_each(const std::vector<std::string_view>& replies, Before before) {
  std::array<int, 2> pipe_ends{};
  if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) return std::nullopt;
  bool written = true;
  std::thread writer([&] {
    for (std::size_t index = 0; index < replies.size() && written; ++index) {
      written = before(index);
      std::string_view reply = replies[index];
      while (written && !reply.empty()) {
        const ssize_t count = ::write(pipe_ends[1], reply.data(), reply.size());
        written = count > 0;
        if (written) reply.remove_prefix(static_cast<std::size_t>(count));
      }
    }
    ::close(pipe_ends[1]);
  });
  Drained drained;
  std::array<char, 1 << 16> buffer{};
  while (true) {
    const ssize_t count = ::read(pipe_ends[0], buffer.data(), buffer.size());
    if (count <= 0) break;
    drained.lines +=
        static_cast<std::size_t>(std::count(buffer.begin(), buffer.begin() + count, '\n'));
  }
  ::close(pipe_ends[0]);
  writer.join();
  if (!written) return std::nullopt;
  return drained;
}

inline std::optional<Drained> write_each(const std::vector<std::string_view>& replies) {
  return write_each(replies, [](std::size_t) { return true; });
}

// The lines of `bytes`, each with its line feed.
inline std::vector<std::string_view> lines_of(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size() - 1) + 1;
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(end);
  }
  return lines;
}

inline void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

// `lines` repeated to `count` lines, each ended by a line feed.
inline std::string repeated_lines(const std::vector<std::string_view>& lines, int count) {
  std::string text;
  for (int index = 0; index < count; ++index) {
    text.append(lines[static_cast<std::size_t>(index) % lines.size()]).push_back('\n');
  }
  return text;
}

}  // namespace burrowlight::bench
