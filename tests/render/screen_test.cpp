#include "render/screen.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace burrowlight::render {
namespace {

constexpr Rgb kRed{200, 30, 40};
constexpr Rgb kBlue{10, 20, 250};

std::string bracket(std::string_view body) {
  return "\x1b[?2026h" + std::string(body) + "\x1b[0m\x1b[?2026l";
}

// The rows of the screen as text, without trailing blanks.
std::vector<std::string> rows(const Screen& screen) {
  std::vector<std::string> result;
  for (std::int32_t y = 0; y < screen.height; ++y) {
    std::string row = screen.row_text(y);
    row.erase(row.find_last_not_of(' ') + 1);
    result.push_back(row);
  }
  return result;
}

// Records every call, and fails on the write or flush it was told to fail on.
class ScriptedOutput final : public Output {
 public:
  explicit ScriptedOutput(int failing_call = -1) : failing_call_(failing_call) {}
  Result<void> write(std::string_view bytes) override {
    if (next_call() == failing_call_) return std::unexpected(Error("Broken pipe (os error 32)"));
    writes.emplace_back(bytes);
    return {};
  }
  Result<void> flush() override {
    if (next_call() == failing_call_) return std::unexpected(Error("No space left on device"));
    ++flushes;
    return {};
  }
  std::vector<std::string> writes;
  int flushes = 0;

 private:
  int next_call() { return calls_++; }
  int failing_call_;
  int calls_ = 0;
};

TEST(Flush, FirstFrameIsAFullRedrawWithOneColourPairAndOneMovePerRow) {
  std::optional<Screen> previous;
  ScriptedOutput out;
  ASSERT_TRUE(flush(Screen(2, 2), previous, out));
  ASSERT_EQ(out.writes.size(), 3u);
  EXPECT_EQ(out.writes[0], "\x1b[?2026h");
  EXPECT_EQ(out.writes[1], "\x1b[1;1H\x1b[38;2;204;204;211m\x1b[48;2;5;7;13m  \x1b[2;1H  ");
  EXPECT_EQ(out.writes[2], "\x1b[0m\x1b[?2026l");
  EXPECT_EQ(out.flushes, 1);
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous->width, 2);
}

TEST(Flush, IdenticalFrameWritesNothingAndDoesNotFlush) {
  std::optional<Screen> previous;
  StringOutput out;
  Screen screen(5, 3);
  screen.text(0, 1, "same", kRed);
  ASSERT_TRUE(flush(screen, previous, out));
  out.clear();
  ASSERT_TRUE(flush(screen, previous, out));
  EXPECT_EQ(out.bytes(), "");
  EXPECT_EQ(out.flushes(), 1u);
}

TEST(Flush, DifferencePassWritesOnlyChangedRunsWithMovesAndColourChanges) {
  struct Case {
    const char* name;
    void (*draw)(Screen&);
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"one cell", [](Screen& s) { s.put(2, 1, U'X', kRed, kBlue); },
       "\x1b[2;3H\x1b[38;2;200;30;40m\x1b[48;2;10;20;250mX"},
      {"two adjacent cells share a move and a colour pair",
       [](Screen& s) {
         s.put(1, 0, U'A', kRed, kBlue);
         s.put(2, 0, U'B', kRed, kBlue);
       },
       "\x1b[1;2H\x1b[38;2;200;30;40m\x1b[48;2;10;20;250mAB"},
      {"an interrupted run moves again, the pen carries across rows",
       [](Screen& s) {
         s.put(0, 0, U'A', kRed, kBlue);
         s.put(2, 0, U'B', kRed, kBlue);
         s.put(3, 2, U'C', kRed, kBlue);
       },
       "\x1b[1;1H\x1b[38;2;200;30;40m\x1b[48;2;10;20;250mA\x1b[1;3HB\x1b[3;4HC"},
      {"only the channel that changed is sent",
       [](Screen& s) {
         s.put(0, 1, U'A', kRed, kBlue);
         s.put(1, 1, U'B', kBlue, kBlue);
       },
       "\x1b[2;1H\x1b[38;2;200;30;40m\x1b[48;2;10;20;250mA\x1b[38;2;10;20;250mB"},
      {"multi-byte scalars are sent as UTF-8",
       [](Screen& s) { s.text(0, 2, "▀é😀", kDefaultForeground); },
       "\x1b[3;1H\x1b[38;2;204;204;211m\x1b[48;2;5;7;13m▀é😀"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<Screen> previous;
    StringOutput out;
    ASSERT_TRUE(flush(Screen(4, 3), previous, out));
    out.clear();
    Screen next(4, 3);
    c.draw(next);
    ASSERT_TRUE(flush(next, previous, out));
    EXPECT_EQ(out.bytes(), bracket(c.expected));
    EXPECT_EQ(out.flushes(), 2u);
  }
}

TEST(Flush, ResizeIsAFullRedrawWithOneMoveAtColumnOneOfEveryRow) {
  std::optional<Screen> previous;
  StringOutput out;
  ASSERT_TRUE(flush(Screen(4, 3), previous, out));
  out.clear();
  Screen resized(6, 4);
  resized.put(5, 3, U'Z', kRed, kBlue);
  ASSERT_TRUE(flush(resized, previous, out));
  EXPECT_EQ(out.bytes(),
            bracket("\x1b[1;1H\x1b[38;2;204;204;211m\x1b[48;2;5;7;13m      \x1b[2;1H      "
                    "\x1b[3;1H      \x1b[4;1H     \x1b[38;2;200;30;40m\x1b[48;2;10;20;250mZ"));
}

TEST(Flush, FailedWriteOrFlushKeepsThePreviousFrame) {
  for (int failing_call = 0; failing_call < 4; ++failing_call) {
    SCOPED_TRACE(failing_call);
    std::optional<Screen> previous;
    StringOutput setup;
    Screen shown(3, 1);
    shown.text(0, 0, "old", kRed);
    ASSERT_TRUE(flush(shown, previous, setup));

    ScriptedOutput out(failing_call);
    Screen next(3, 1);
    next.text(0, 0, "new", kRed);
    auto result = flush(next, previous, out);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text(),
              failing_call == 3 ? "No space left on device" : "Broken pipe (os error 32)");
    EXPECT_EQ(out.writes.size(), static_cast<std::size_t>(failing_call));
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->row_text(0), "old");
  }
}

TEST(Flush, EmptyScreenWritesNothingAndBecomesPrevious) {
  for (auto [width, height] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{0, 0}}) {
    std::optional<Screen> previous;
    StringOutput out;
    ASSERT_TRUE(flush(Screen(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)),
                      previous, out));
    EXPECT_EQ(out.bytes(), "");
    EXPECT_EQ(out.flushes(), 0u);
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->width, width);
    EXPECT_EQ(previous->height, height);
  }
}

TEST(Screen, NewScreenIsBlankInTheDefaultColours) {
  Screen screen(3, 2);
  EXPECT_EQ(screen.cells.size(), 6u);
  EXPECT_EQ(screen.at(2, 1), (ScreenCell{U' ', kDefaultForeground, kDefaultBackground}));
}

TEST(Screen, TextAdvancesPerScalarAndIsClippedAtEveryEdge) {
  struct Case {
    std::int32_t x;
    std::int32_t y;
    const char* text;
    std::vector<std::string> picture;
  };
  const std::vector<Case> cases = {
      {-2, 0, "abcdef", {"cdef", ""}},
      {3, 1, "abcdef", {"", "   abc"}},
      {0, -1, "abcdef", {"", ""}},
      {0, 2, "abcdef", {"", ""}},
      {1, 0, "é─😀x", {" é─😀x", ""}},
      {-1, 1, "é─😀x", {"", "─😀x"}},
      {0, 0, "a\xffz\xe2\x94", {"a\uFFFDz\uFFFD\uFFFD", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Screen screen(6, 2);
    screen.text(c.x, c.y, c.text, kRed);
    EXPECT_EQ(rows(screen), c.picture);
  }
}

TEST(Screen, TextKeepsEachCellsBackground) {
  Screen screen(4, 1);
  screen.put(1, 0, U'#', kBlue, kBlue);
  screen.text(0, 0, "ab", kRed);
  EXPECT_EQ(screen.at(1, 0), (ScreenCell{U'b', kRed, kBlue}));
  EXPECT_EQ(screen.at(0, 0), (ScreenCell{U'a', kRed, kDefaultBackground}));
}

TEST(Screen, ClippedDrawsAtMostTheGivenNumberOfScalars) {
  struct Case {
    std::int32_t max_chars;
    const char* text;
    const char* row;
  };
  const std::vector<Case> cases = {
      {3, "abcdef", "abc"},
      {0, "abcdef", ""},
      {-4, "abcdef", ""},
      {9, "abc", "abc"},
      {2, "ééé", "éé"},
      {4, "😀─😀─😀", "😀─😀─"},
      {2, "\xff\xffz", "\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Screen screen(6, 1);
    screen.clipped(0, 0, c.max_chars, c.text, kRed);
    EXPECT_EQ(rows(screen)[0], c.row);
  }
}

TEST(Screen, WrapBreaksGreedilyAtWhiteSpace) {
  struct Case {
    std::int32_t width;
    std::int32_t max_lines;
    const char* text;
    std::vector<std::string> picture;
  };
  const std::vector<Case> cases = {
      // Two words share a line (9 characters fit), the third moves down.
      {10, 3, "four five nine", {"four five", "nine", ""}},
      // Only max_lines lines are drawn, or none at all.
      {10, 1, "four five nine", {"four five", "", ""}},
      {10, 0, "four five nine", {"", "", ""}},
      // Runs of Unicode white space separate words; white space alone draws nothing.
      {3, 3, "  ab\u3000\u3000cd\n\tef\u00a0 ", {"ab", "cd", "ef"}},
      {5, 3, " \u2028 ", {"", "", ""}},
      // A word longer than the width is cut.
      {5, 3, "abcdefghijkl mn", {"abcde", "mn", ""}},
      // Lengths are counted in scalars, not bytes.
      {5, 3, "éé éé é", {"éé éé", "é", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Screen screen(12, 3);
    screen.wrap(0, 0, c.width, c.max_lines, c.text, kRed);
    EXPECT_EQ(rows(screen), c.picture);
  }
}

TEST(Screen, WrapStartsAtItsOriginAndStopsAfterMaxLines) {
  Screen screen(8, 5);
  screen.wrap(2, 1, 4, 2, "aa bb cc dd", kRed);
  EXPECT_EQ(rows(screen), (std::vector<std::string>{"", "  aa", "  bb", "", ""}));
}

TEST(Screen, FrameDrawsARoundedPanelWithItsTitleCutBeforeTheCorner) {
  struct Case {
    const char* title;
    std::int32_t w;
    std::int32_t h;
    std::vector<std::string> picture;
  };
  const std::vector<Case> cases = {
      {"Log", 9, 3, {"╭─ Log ─╮", "│       │", "╰───────╯", ""}},
      {"Inventory", 8, 4, {"╭─ Inv─╮", "│      │", "│      │", "╰──────╯"}},
      {"", 6, 3, {"╭─  ─╮", "│    │", "╰────╯", ""}},
      {"Tiny", 2, 2, {"╭╮", "╰╯", "", ""}},
      {"Tall", 12, 5, {"╭─ Tall ──", "│", "│", "│"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Screen screen(10, 4);
    screen.frame(0, 0, c.w, c.h, c.title);
    EXPECT_EQ(rows(screen), c.picture);
  }
}

TEST(Screen, FrameColoursBorderInsideAndTitle) {
  Screen screen(10, 4);
  screen.frame(1, 0, 8, 3, "Map");
  EXPECT_EQ(screen.at(1, 0), (ScreenCell{U'╭', kFrameBorder, kFrameBackground}));
  EXPECT_EQ(screen.at(4, 0), (ScreenCell{U'M', kDefaultForeground, kFrameBackground}));
  EXPECT_EQ(screen.at(3, 0), (ScreenCell{U' ', kDefaultForeground, kFrameBackground}));
  EXPECT_EQ(screen.at(4, 1), (ScreenCell{U' ', kDefaultForeground, kFrameBackground}));
  EXPECT_EQ(screen.at(8, 1), (ScreenCell{U'│', kFrameBorder, kFrameBackground}));
  EXPECT_EQ(screen.at(0, 1), (ScreenCell{U' ', kDefaultForeground, kDefaultBackground}));
}

TEST(Screen, FrameIsClippedAtNegativePositions) {
  Screen screen(6, 3);
  screen.frame(-2, -1, 6, 3, "Ab");
  EXPECT_EQ(rows(screen), (std::vector<std::string>{"   │", "───╯", ""}));
}

TEST(Rgb, ScaleClampsAndTruncatesEachChannel) {
  EXPECT_EQ((Rgb{200, 100, 10}.scale(1.5f)), (Rgb{255, 150, 15}));
  EXPECT_EQ((Rgb{255, 99, 3}.scale(0.5f)), (Rgb{127, 49, 1}));
  EXPECT_EQ((Rgb{255, 99, 3}.scale(-2.0f)), (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace burrowlight::render
