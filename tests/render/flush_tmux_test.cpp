// Shows that a real terminal displays what the flushed bytes say: a frame is
// written into a tmux pane of the same size and the pane's text is read back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "render/screen.hpp"
#include "support/files.hpp"

namespace burrowlight::render {
namespace {

constexpr std::uint16_t kWidth = 30;
constexpr std::uint16_t kHeight = 8;

std::string run(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  while (std::size_t count = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, count);
  pclose(pipe);
  return output;
}

std::vector<std::string> lines_without_trailing_spaces(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// A private tmux server on its own socket, so the test never touches anyone's sessions.
class TmuxPane : public testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::filesystem::path> tmux = test_support::find_on_path("tmux");
    if (!tmux) GTEST_SKIP() << "tmux is not on PATH";
    std::ofstream(directory_.path() / "tmux.conf") << "set -g status off\n";
    tmux_ = "LC_ALL=C.UTF-8 '" + tmux->string() + "' -u -L burrowlight-flush-" +
            std::to_string(getpid()) + " -f '" + (directory_.path() / "tmux.conf").string() + "' ";
  }

  void TearDown() override {
    if (!tmux_.empty()) run(tmux_ + "kill-server 2>/dev/null");
  }

  // Starts a pane that prints the file and then stays open, and returns its text
  // once it stops changing.
  std::vector<std::string> show(const std::string& bytes) {
    const auto frame_file = directory_.path() / "frame.bin";
    std::ofstream(frame_file, std::ios::binary) << bytes;
    run(tmux_ + "new-session -d -x " + std::to_string(kWidth) + " -y " + std::to_string(kHeight) +
        " \"cat '" + frame_file.string() + "'; sleep 60\"");
    std::string last;
    for (int attempt = 0; attempt < 50; ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      std::string captured = run(tmux_ + "capture-pane -p");
      if (!captured.empty() && captured == last) break;
      last = captured;
    }
    return lines_without_trailing_spaces(last);
  }

  std::string capture_with_colours() { return run(tmux_ + "capture-pane -p -e"); }

  std::string size() { return run(tmux_ + "display -p '#{pane_width}x#{pane_height}'"); }

 private:
  test_support::TemporaryDirectory directory_{"burrowlight-flush"};
  std::string tmux_;
};

Screen composed_frame() {
  Screen screen(kWidth, kHeight);
  screen.frame(0, 0, kWidth, kHeight, "Burrow café");
  screen.text(2, 2, "Pip ♦ ▀▄ ─│ é", Rgb{200, 30, 40});
  screen.wrap(2, 3, 12, 3, "the moonlit clearing gives way to stone", Rgb{80, 160, 90});
  screen.put(kWidth - 2, kHeight - 2, U'@', Rgb{255, 199, 88}, Rgb{5, 7, 13});
  return screen;
}

TEST_F(TmuxPane, FullRedrawShowsTheComposedScreen) {
  Screen screen = composed_frame();
  std::vector<std::string> expected;
  for (std::int32_t y = 0; y < screen.height; ++y) {
    std::string row = screen.row_text(y);
    row.erase(row.find_last_not_of(' ') + 1);
    expected.push_back(row);
  }
  std::optional<Screen> previous;
  StringOutput out;
  ASSERT_TRUE(flush(std::move(screen), previous, out));

  EXPECT_EQ(show(out.bytes()), expected);
  EXPECT_EQ(size(), std::to_string(kWidth) + "x" + std::to_string(kHeight) + "\n");
  const std::string coloured = capture_with_colours();
  EXPECT_NE(coloured.find("38;2;200;30;40"), std::string::npos);
  EXPECT_NE(coloured.find("48;2;11;14;23"), std::string::npos);
}

TEST_F(TmuxPane, DifferenceUpdateOnTopOfAFullRedrawShowsTheNewScreen) {
  std::optional<Screen> previous;
  StringOutput out;
  ASSERT_TRUE(flush(composed_frame(), previous, out));
  Screen changed = composed_frame();
  changed.text(2, 2, "Moss", Rgb{128, 181, 102});
  changed.put(5, 6, U'·', Rgb{211, 224, 153}, Rgb{11, 14, 23});
  std::vector<std::string> expected;
  for (std::int32_t y = 0; y < changed.height; ++y) {
    std::string row = changed.row_text(y);
    row.erase(row.find_last_not_of(' ') + 1);
    expected.push_back(row);
  }
  ASSERT_TRUE(flush(std::move(changed), previous, out));

  EXPECT_EQ(show(out.bytes()), expected);
}

}  // namespace
}  // namespace burrowlight::render
