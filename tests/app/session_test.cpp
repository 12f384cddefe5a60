// The session joins the run to its save file: an action counts only once the record that
// holds it is on disk, refusals never touch the file, a failed write changes nothing, and
// reopening the save gives back the run that was played.

#include "app/session.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string_view>

#include "support/files.hpp"

namespace burrowlight::app {
namespace {

namespace fs = std::filesystem;
using expedition::Action;
using expedition::Refusal;
using expedition::Wait;
using test_support::read_file;

// A save write replaces the file by renaming a new one over it, so an unchanged inode
// means that nothing was written.
ino_t inode_of(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_ino;
}

Action word(std::string_view text) {
  std::optional<Action> action = Action::parse(text);
  if (!action) ADD_FAILURE() << "not an action word: " << text;
  return action.value_or(Action{Wait{}});
}

nlohmann::json saved_actions(const fs::path& path) {
  return nlohmann::json::parse(read_file(path))["actions"];
}

// A fresh directory per test, on memory when the system has one: these tests are about
// the session, not the disk.
class SessionTest : public testing::Test {
 protected:
  Session open_session(bool new_expedition, std::optional<std::uint64_t> seed) {
    auto session = app::open_session(save_.string(), new_expedition, seed);
    if (!session) {
      ADD_FAILURE() << session.error().text();
      std::abort();
    }
    return std::move(*session);
  }

  test_support::TemporaryDirectory temporary_{"burrowlight-session", test_support::Medium::Memory};
  fs::path root_ = temporary_.path();
  fs::path directory_ = root_ / "saves";
  fs::path save_ = directory_ / "expedition.json";
};

TEST_F(SessionTest, EveryAcceptedActionIsOnDiskAndARefusalWritesNothing) {
  Session session = open_session(true, 0);
  ASSERT_TRUE(session.apply(word("north")));
  EXPECT_EQ(saved_actions(save_), nlohmann::json({1}));
  const ino_t inode = inode_of(save_);
  EXPECT_EQ(session.apply(word("north")).error(),
            (ApplyError{ApplyError::Refused{Refusal::Blocked}}));
  EXPECT_EQ(inode_of(save_), inode);
  ASSERT_TRUE(session.apply(word("east")));
  EXPECT_EQ(saved_actions(save_), nlohmann::json({1, 4}));
  EXPECT_EQ(session.run().record().actions, (std::vector<std::uint8_t>{1, 4}));
}

TEST_F(SessionTest, FinishWritesTheSealOnceAndASealedRunRefusesWithoutWriting) {
  Session session = open_session(true, 0);
  ASSERT_TRUE(session.finish());
  EXPECT_TRUE(nlohmann::json::parse(read_file(save_))["finished"]);
  const ino_t inode = inode_of(save_);
  ASSERT_TRUE(session.finish());
  EXPECT_EQ(session.apply(word("east")).error(),
            (ApplyError{ApplyError::Refused{Refusal::Sealed}}));
  EXPECT_EQ(inode_of(save_), inode);
}

TEST_F(SessionTest, AFailedWriteChangesNothingAndTheActionCanBeRetried) {
  Session session = open_session(true, 0);
  ASSERT_TRUE(session.apply(word("east")));
  const expedition::Run before = session.run();

  // A regular file in the place of the save's directory: not even the temporary file
  // of a write can be created. The real directory is kept aside.
  fs::rename(directory_, root_ / "aside");
  std::ofstream(directory_.string()) << "not a directory";
  auto refused = session.apply(word("south"));
  ASSERT_FALSE(refused);
  ASSERT_TRUE(std::holds_alternative<ApplyError::Save>(refused.error().kind));
  EXPECT_EQ(std::get<ApplyError::Save>(refused.error().kind).error.text(),
            "Not a directory (os error 20)");
  auto unsealed = session.finish();
  ASSERT_FALSE(unsealed);
  EXPECT_EQ(unsealed.error().text(), "Not a directory (os error 20)");
  EXPECT_EQ(session.write_save().error().text(), "Not a directory (os error 20)");
  EXPECT_EQ(session.run(), before);

  fs::remove(directory_);
  fs::rename(root_ / "aside", directory_);
  ASSERT_TRUE(session.apply(word("south")));
  EXPECT_EQ(session.run().expedition().y, 3);
  EXPECT_EQ(saved_actions(save_), nlohmann::json({4, 2}));
}

TEST_F(SessionTest, ReopeningTheSaveGivesBackThePlayedRun) {
  std::optional<Session> session = open_session(true, 0);
  for (std::string_view text : {"east", "south", "interact", "east", "east", "dig-east", "east"}) {
    ASSERT_TRUE(session->apply(word(text))) << text;
  }
  const expedition::Run played = session->run();
  // The lock is the process's own too: the old session must be gone first.
  session.reset();
  session = open_session(false, std::nullopt);
  // A reopened run starts its log afresh; everything else is as it was played.
  EXPECT_EQ(session->run().expedition(), played.expedition());
  for (std::size_t floor = 0; floor < kFloorCount; ++floor) {
    EXPECT_EQ(session->run().explored(floor), played.explored(floor)) << floor;
  }
  EXPECT_EQ(session->run().in_view(), played.in_view());
}

TEST_F(SessionTest, ARecordThatDoesNotReplayIsAnErrorAndReleasesTheLock) {
  Record record = Record::practice(0);
  record.actions = {1, 1};
  fs::create_directories(directory_);
  std::ofstream(save_) << record.to_pretty_json();
  auto session = app::open_session(save_.string(), false, std::nullopt);
  ASSERT_FALSE(session);
  EXPECT_EQ(session.error().text(), "Invalid saved action at step 2: The destination is blocked.");
  EXPECT_TRUE(app::Save::lock(save_.string()));
}

}  // namespace
}  // namespace burrowlight::app
