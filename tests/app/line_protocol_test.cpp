#include "app/line_protocol.hpp"

#include <gtest/gtest.h>

namespace burrowlight::app {
namespace {

std::vector<std::string> read_all(const std::string& bytes) {
  StringInput input(bytes);
  LineReader reader(input);
  std::vector<std::string> lines;
  while (true) {
    auto line = reader.next();
    EXPECT_TRUE(line.has_value());
    if (!line || !*line) return lines;
    lines.push_back(**line);
  }
}

TEST(LineReader, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
  EXPECT_EQ(read_all(""), std::vector<std::string>{});
  EXPECT_EQ(read_all("look\n"), std::vector<std::string>{"look"});
  EXPECT_EQ(read_all("look\r\nnorth"), (std::vector<std::string>{"look", "north"}));
  EXPECT_EQ(read_all("\n\n"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(read_all("a\r\r\n"), std::vector<std::string>{"a\r"});
}

TEST(LineReader, LongLinesCrossReadChunks) {
  std::string line(200000, 'x');
  EXPECT_EQ(read_all(line + "\nend"), (std::vector<std::string>{line, "end"}));
}

TEST(LineReader, InvalidUtf8IsAnErrorAfterTheGoodLines) {
  StringInput input("look\n\xFF\xFE\nnorth\n");
  LineReader reader(input);
  EXPECT_EQ(reader.next().value(), std::optional<std::string>("look"));
  auto bad = reader.next();
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().text(), "stream did not contain valid UTF-8");
}

}  // namespace
}  // namespace burrowlight::app
