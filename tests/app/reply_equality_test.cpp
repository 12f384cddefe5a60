// Every reply of both headless modes, written by the program's own writer, is the very
// line the JSON library builds for the same state: long random command streams go through
// the real loops while a mirror of the game follows the same commands.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/expedition_loop.hpp"
#include "app/prototype_loop.hpp"
#include "headless/commands.hpp"
#include "library_replies.hpp"

namespace burrowlight::headless {
namespace {

namespace fs = std::filesystem;

// Lines a program might send besides the command words: blanks, Unicode white space
// around a word, words of the other mode, and nothing at all.
const std::vector<std::string> kJunk = {"",
                                        " ",
                                        "LOOK",
                                        "\u2003North\u00a0",
                                        "\tdig-east\r",
                                        "dig east",
                                        "go north",
                                        "reset",
                                        "quit now",
                                        "\u3000wait\u2029",
                                        "é",
                                        "save",
                                        "\x0b"
                                        "EAST\x0c",
                                        "portal ",
                                        "finish"};

std::vector<std::string> lines_of(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream stream(bytes);
  for (std::string line; std::getline(stream, line);) lines.push_back(line + "\n");
  return lines;
}

std::string stream_of(const std::vector<std::string>& commands) {
  std::string input;
  for (const std::string& command : commands) input += command + "\n";
  return input;
}

TEST(ReplyEquality, PrototypeStreams) {
  const std::vector<std::string> words = {"north", "south", "west", "east", "interact", "wait"};
  std::mt19937 random(20261208);
  for (int stream = 0; stream < 4; ++stream) {
    std::vector<std::string> commands;
    for (int line = 0; line < 300; ++line) {
      const int roll = static_cast<int>(random() % 100);
      if (roll < 85) {
        commands.push_back(words[random() % words.size()]);
      } else if (roll < 98) {
        commands.push_back(kJunk[random() % kJunk.size()]);
      } else {
        commands.push_back("reset");
      }
    }
    StringInput in(stream_of(commands));
    StringOutput out;
    ASSERT_TRUE(app::run_prototype(in, out));
    const std::vector<std::string> replies = lines_of(out.bytes());
    ASSERT_EQ(replies.size(), commands.size() + 1);

    Game mirror = Game::authored();
    EXPECT_EQ(replies[0], library::line(library::prototype_observation(mirror)));
    for (std::size_t index = 0; index < commands.size(); ++index) {
      const std::string command = normalize_command(commands[index]);
      std::string expected;
      if (command == "reset") mirror = Game::authored();
      if (command == "north") mirror.apply({PrototypeAction::Move{0, -1}});
      if (command == "south") mirror.apply({PrototypeAction::Move{0, 1}});
      if (command == "west") mirror.apply({PrototypeAction::Move{-1, 0}});
      if (command == "east") mirror.apply({PrototypeAction::Move{1, 0}});
      if (command == "interact") mirror.apply({PrototypeAction::Interact{}});
      if (command == "wait") mirror.apply({PrototypeAction::Wait{}});
      const bool known = command == "look" || command == "reset" ||
                         std::find(words.begin(), words.end(), command) != words.end();
      expected = known ? library::line(library::prototype_observation(mirror))
                       : library::line(library::prototype_unknown_command(mirror.turn));
      ASSERT_EQ(replies[index + 1], expected) << "stream " << stream << ", line " << index;
    }
  }
}

class ExpeditionStreams : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::path(testing::TempDir());
    std::string pattern = (base / "burrowlight-replies-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override { fs::remove_all(directory_); }

  // Plays `commands` through the loop on a save holding `record`, and compares each reply
  // with the library's reply for a mirror run that follows the same commands.
  void play_and_compare(const Record& record, const std::vector<std::string>& commands) {
    const std::string path = (directory_ / "expedition.json").string();
    auto opened = app::Save::open(path, true, record.seed);
    ASSERT_TRUE(opened) << opened.error().text();
    auto run = expedition::Run::start(record);
    ASSERT_TRUE(run) << run.error();
    StringInput in(stream_of(commands));
    StringOutput out;
    ASSERT_TRUE(
        app::run_expedition(app::Session(std::move(opened->first), std::move(*run)), in, out));
    const std::vector<std::string> replies = lines_of(out.bytes());

    auto mirror = expedition::Run::start(record);
    ASSERT_TRUE(mirror);
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ(replies[0], library::line(library::expedition_observation(*mirror)));
    for (std::size_t index = 0; index < commands.size(); ++index) {
      SCOPED_TRACE("line " + std::to_string(index) + ": " + commands[index]);
      ASSERT_LT(index + 1, replies.size());
      const std::string command = normalize_command(commands[index]);
      std::optional<std::string_view> reason;
      if (command == "quit") {
        EXPECT_EQ(replies[index + 1], library::line(library::goodbye()));
        EXPECT_EQ(replies.size(), index + 2);
        return;
      } else if (command == "finish") {
        if (auto sealed = mirror->after_finish()) *mirror = std::move(*sealed);
      } else if (auto action = expedition::Action::parse(command)) {
        auto next = mirror->after(*action);
        if (next) {
          *mirror = std::move(next->run);
        } else {
          reason = message(next.error());
        }
      } else if (command != "look" && command != "save") {
        reason = kExpeditionUnknownCommand;
      }
      const auto expected = reason ? library::expedition_failure(*mirror, *reason)
                                   : library::expedition_observation(*mirror);
      ASSERT_EQ(replies[index + 1], library::line(expected));
    }
    EXPECT_EQ(replies.size(), commands.size() + 1);
  }

  fs::path directory_;
};

TEST_F(ExpeditionStreams, RandomPlayOnPracticeAndNormalRuns) {
  std::mt19937_64 random(20261208);
  for (int stream = 0; stream < 6; ++stream) {
    std::vector<std::string> commands;
    for (int line = 0; line < 700; ++line) {
      const auto roll = random() % 100;
      if (roll < 80) {
        commands.emplace_back(expedition::kActionWords[random() % expedition::kActionWords.size()]);
      } else if (roll < 97) {
        commands.push_back(kJunk[random() % kJunk.size()]);
      } else if (roll < 99) {
        commands.emplace_back("look");
      } else {
        commands.emplace_back("finish");
      }
    }
    record::Secret secret{};
    for (std::uint8_t& byte : secret) byte = static_cast<std::uint8_t>(random());
    const Record record = stream % 2 == 0 ? Record::practice(random()) : Record(secret);
    play_and_compare(record, commands);
  }
}

TEST_F(ExpeditionStreams, TheActionLimitASealedRunAndQuit) {
  Record record = Record::practice(0);
  record.actions = {4, 2};  // east, south: onto the flask at (3, 3)
  record.actions.resize(510, 11);
  play_and_compare(record, {"west", "interact", "east", "wait", "north", "look", "finish", "east",
                            "finish", "dig-west", "portal", "", "save", "quit", "look"});
}

}  // namespace
}  // namespace burrowlight::headless
