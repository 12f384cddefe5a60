// A writer process is killed at random moments while it rewrites the save again and
// again; whatever moment it dies at, the save must be a complete record that was written.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "app/save.hpp"
#include "support/files.hpp"

namespace burrowlight::app {
namespace {

namespace fs = std::filesystem;

constexpr int kTrials = 250;
constexpr std::uint8_t kWait = 11;

// Version v of the save holds v accepted waits, so every version is valid and longer
// than the one before it.
Record version(std::uint32_t number) {
  Record record = Record::practice(99);
  record.actions.assign(std::min<std::size_t>(number, expedition::kActionLimit), kWait);
  return record;
}

// Rewrites the save forever, reporting each finished write on `acknowledgements`.
[[noreturn]] void run_writer(const std::string& path, int acknowledgements) {
  const auto held = app::Save::lock(path);
  if (!held) ::_exit(4);
  for (std::uint32_t number = 1;; ++number) {
    if (!held->write(version(number))) ::_exit(2);
    if (::write(acknowledgements, &number, sizeof number) != sizeof number) ::_exit(3);
  }
}

// Reads one acknowledged version number; nothing once the writer is gone.
std::optional<std::uint32_t> next_acknowledgement(int channel) {
  std::uint32_t number = 0;
  std::size_t filled = 0;
  while (filled < sizeof number) {
    const ssize_t count =
        ::read(channel, reinterpret_cast<char*>(&number) + filled, sizeof number - filled);
    if (count <= 0) return std::nullopt;
    filled += static_cast<std::size_t>(count);
  }
  return number;
}

// The temporary files of saves in `directory`: hidden, ".burrowlight-<save's hash>-<16 hex
// digits>.tmp".
int count_temporary_files(const fs::path& directory) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".burrowlight-") && name.ends_with(".tmp")) ++count;
  }
  return count;
}

TEST(SaveCrash, AKilledWriterLeavesACompleteWrittenSave) {
  const test_support::TemporaryDirectory temporary("burrowlight-crash");
  const fs::path& root = temporary.path();
  const std::string path = (root / "expedition.json").string();

  std::mt19937 random(424242);
  std::uniform_int_distribution<int> writes_before_kill(0, 2);
  std::uniform_int_distribution<int> delay_microseconds(0, 1500);
  int leftover_total = 0;
  int killed_after_a_change = 0;

  for (int trial = 0; trial < kTrials; ++trial) {
    {
      // Released before the writer starts, which takes the lock for itself.
      const auto held = app::Save::lock(path);
      // The lock removed what the previous trial's writer left.
      ASSERT_EQ(count_temporary_files(root), 0) << "trial " << trial;
      ASSERT_TRUE(held && held->write(version(0)));
    }
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      ::close(channel[0]);
      run_writer(path, channel[1]);
    }
    ::close(channel[1]);

    std::uint32_t acknowledged = 0;
    for (int wait = writes_before_kill(random); wait > 0; --wait) {
      if (auto number = next_acknowledgement(channel[0])) acknowledged = *number;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_microseconds(random)));
    ::kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with status " << status;
    while (auto number = next_acknowledgement(channel[0])) acknowledged = *number;
    ::close(channel[0]);

    // The writer writes in order, so the save holds the last acknowledged version or,
    // if the kill came between the rename and the acknowledgement, the one after it.
    const auto loaded = Record::from_json(test_support::read_file(path));
    ASSERT_TRUE(loaded) << "trial " << trial << ": " << loaded.error();
    ASSERT_TRUE(loaded->replay()) << "trial " << trial;
    const auto found = static_cast<std::uint32_t>(loaded->actions.size());
    ASSERT_TRUE(*loaded == version(acknowledged) || *loaded == version(acknowledged + 1))
        << "trial " << trial << ": found version " << found << " after acknowledgement "
        << acknowledged;
    if (found > 0) ++killed_after_a_change;

    const int leftovers = count_temporary_files(root);
    ASSERT_LE(leftovers, 1) << "trial " << trial;
    leftover_total += leftovers;
  }
  std::cout << kTrials << " kills; " << killed_after_a_change << " after at least one rewrite; "
            << leftover_total << " temporary files left over in total\n";
}

}  // namespace
}  // namespace burrowlight::app
