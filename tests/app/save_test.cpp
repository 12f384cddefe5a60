#include "app/save.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace burrowlight {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

mode_t permissions(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

std::vector<std::string> names_in(const fs::path& directory) {
  std::vector<std::string> names;
  if (!fs::exists(directory)) return names;
  for (const auto& entry : fs::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh directory per test, removed afterwards.
class SaveTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(testing::TempDir()) / "burrowlight-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    save_ = root_ / "expedition.json";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string save_path() const { return save_.string(); }

  // A valid save with the given text appended, to test what follows the object.
  void write_practice_save(std::string_view extra = "") {
    write_file(save_, Record::practice(3).to_pretty_json() + std::string(extra));
  }

  fs::path root_;
  fs::path save_;
};

TEST_F(SaveTest, FirstRunCreatesTheDirectoriesTheSaveAndItsLock) {
  const fs::path path = root_ / "data" / "burrowlight" / "expedition.json";
  auto opened = Save::open(path.string(), false, std::nullopt);
  ASSERT_TRUE(opened) << opened.error().text();
  const auto& [save, record] = *opened;
  EXPECT_EQ(save.path(), path.string());
  ASSERT_TRUE(record.secret.has_value());
  EXPECT_EQ(record.seed, record::seed_from_secret(*record.secret));
  EXPECT_EQ(record.format_version, 1u);
  EXPECT_EQ(record.rules_version, 2u);
  EXPECT_TRUE(record.actions.empty());
  EXPECT_FALSE(record.finished);
  EXPECT_EQ(read_file(path), record.to_pretty_json());
  EXPECT_EQ(permissions(path), 0600u);
  EXPECT_EQ(permissions(path.string() + ".lock"), 0600u);
  EXPECT_EQ(names_in(path.parent_path()),
            (std::vector<std::string>{"expedition.json", "expedition.json.lock"}));
}

TEST_F(SaveTest, PracticeSeedCreatesAPracticeSaveThatAPlainRunResumes) {
  Record created = Record::practice(0);
  {
    auto opened = Save::open(save_path(), false, 7);
    ASSERT_TRUE(opened) << opened.error().text();
    created = opened->second;
  }
  EXPECT_EQ(created, Record::practice(7));
  EXPECT_NE(read_file(save_).find("\"secret\": null,"), std::string::npos);

  auto resumed = Save::open(save_path(), false, std::nullopt);
  ASSERT_TRUE(resumed) << resumed.error().text();
  EXPECT_EQ(resumed->second, created);
}

TEST_F(SaveTest, NewArchivesTheExactOldBytesEvenWhenTheyAreNotJson) {
  const std::string old_bytes = std::string("not a save \0\xff\n", 15);
  write_file(save_, old_bytes);
  auto opened = Save::open(save_path(), true, std::nullopt);
  ASSERT_TRUE(opened) << opened.error().text();
  EXPECT_TRUE(opened->second.secret.has_value());
  EXPECT_EQ(read_file(save_), opened->second.to_pretty_json());

  const std::vector<std::string> archived = names_in(root_ / "archive");
  ASSERT_EQ(archived.size(), 1u);
  EXPECT_TRUE(std::regex_match(archived[0], std::regex("expedition-[0-9a-f]{16}\\.json")))
      << archived[0];
  EXPECT_EQ(read_file(root_ / "archive" / archived[0]), old_bytes);
  EXPECT_EQ(permissions(root_ / "archive" / archived[0]), 0600u);
}

TEST_F(SaveTest, NewWithASeedArchivesAndStartsPractice) {
  write_practice_save();
  const std::string old_bytes = read_file(save_);
  auto opened = Save::open(save_path(), true, 5);
  ASSERT_TRUE(opened) << opened.error().text();
  EXPECT_EQ(opened->second, Record::practice(5));
  const std::vector<std::string> archived = names_in(root_ / "archive");
  ASSERT_EQ(archived.size(), 1u);
  EXPECT_EQ(read_file(root_ / "archive" / archived[0]), old_bytes);
}

TEST_F(SaveTest, SeedWithAnExistingSaveAndNoNewChangesNothing) {
  write_practice_save();
  const std::string old_bytes = read_file(save_);
  auto opened = Save::open(save_path(), false, 7);
  ASSERT_FALSE(opened);
  EXPECT_EQ(
      opened.error().text(),
      "Use --new with --seed to create a practice expedition; the existing save was not changed.");
  EXPECT_EQ(read_file(save_), old_bytes);
  EXPECT_FALSE(fs::exists(root_ / "archive"));
}

TEST_F(SaveTest, SizeLimitIs65536Bytes) {
  const std::string pretty = Record::practice(3).to_pretty_json();
  write_file(save_, pretty + std::string(save::kSizeLimit - pretty.size(), ' '));
  auto largest = Save::open(save_path(), false, std::nullopt);
  ASSERT_TRUE(largest) << largest.error().text();
  EXPECT_EQ(largest->second, Record::practice(3));
}

TEST_F(SaveTest, OversizedSavesAreRefusedWithAndWithoutNew) {
  const std::string pretty = Record::practice(3).to_pretty_json();
  const std::string oversized = pretty + std::string(save::kSizeLimit + 1 - pretty.size(), ' ');
  write_file(save_, oversized);
  for (bool new_expedition : {false, true}) {
    auto opened = Save::open(save_path(), new_expedition, std::nullopt);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().text(), "Save exceeds 64 KiB; it was not changed.");
    EXPECT_EQ(read_file(save_), oversized);
    EXPECT_FALSE(fs::exists(root_ / "archive"));
  }
}

TEST_F(SaveTest, MalformedAndInvalidSavesAreRefusedAndLeftUntouched) {
  std::string wrong_format = Record::practice(3).to_pretty_json();
  wrong_format.replace(wrong_format.find("\"format_version\": 1"), 19, "\"format_version\": 2");
  std::string wrong_rules = Record::practice(3).to_pretty_json();
  wrong_rules.replace(wrong_rules.find("\"rules_version\": 2"), 18, "\"rules_version\": 3");
  std::string extra_key = Record::practice(3).to_pretty_json();
  extra_key.replace(extra_key.find("\n}"), 2, ",\n  \"score\": 9\n}");
  struct Case {
    std::string bytes;
    std::string message;
  };
  const std::vector<Case> cases = {
      {Record::practice(3).to_pretty_json() + "}",
       "parse error at line 9, column 1: syntax error while parsing value - unexpected '}'; "
       "expected end of input"},
      {extra_key,
       "unknown field `score`, expected one of `format_version`, `rules_version`, `seed`, "
       "`secret`, `actions`, "
       "`finished` at line 8 column 9"},
      {wrong_format, "Unsupported save or rules version; this save was not changed."},
      {wrong_rules, "Unsupported save or rules version; this save was not changed."},
  };
  for (const Case& test : cases) {
    write_file(save_, test.bytes);
    auto opened = Save::open(save_path(), false, std::nullopt);
    ASSERT_FALSE(opened) << test.bytes;
    EXPECT_EQ(opened.error().text(), test.message);
    EXPECT_EQ(opened.error().os_code(), std::nullopt);
    EXPECT_EQ(read_file(save_), test.bytes);
    EXPECT_EQ(names_in(root_),
              (std::vector<std::string>{"expedition.json", "expedition.json.lock"}));
  }
}

TEST_F(SaveTest, SystemErrorsCarryTheSystemsWords) {
  write_file(root_ / "file", "");
  auto opened = Save::open((root_ / "file" / "expedition.json").string(), false, std::nullopt);
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.error().text(), "Not a directory (os error 20)");

  fs::create_directory(save_);
  auto directory = Save::open(save_path(), false, std::nullopt);
  ASSERT_FALSE(directory);
  EXPECT_EQ(directory.error().text(), "Is a directory (os error 21)");
}

TEST_F(SaveTest, ASecondProcessCannotLockTheSaveAndLeavesItAlone) {
  auto held = Save::open(save_path(), false, std::nullopt);
  ASSERT_TRUE(held) << held.error().text();
  const std::string saved = read_file(save_);

  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    auto second = Save::open(save_path(), true, 9);
    const std::string report = second ? std::string("opened") : second.error().text();
    const bool sent =
        ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, count);
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(
      report,
      "Cannot lock save " + save_path() +
          ": lock acquisition failed because the operation would block. Close another BurrowLight "
          "process using this save.");
  EXPECT_EQ(read_file(save_), saved);
  EXPECT_FALSE(fs::exists(root_ / "archive"));
}

TEST_F(SaveTest, ABareFileNameUsesTheCurrentDirectory) {
  const fs::path previous = fs::current_path();
  fs::current_path(root_);
  write_practice_save();
  const std::string old_bytes = read_file(save_);
  auto opened = Save::open("expedition.json", true, 11);
  fs::current_path(previous);
  ASSERT_TRUE(opened) << opened.error().text();
  EXPECT_EQ(opened->first.path(), "expedition.json");
  EXPECT_EQ(opened->second, Record::practice(11));
  EXPECT_EQ(read_file(save_), Record::practice(11).to_pretty_json());
  ASSERT_EQ(names_in(root_ / "archive").size(), 1u);
  EXPECT_EQ(names_in(root_),
            (std::vector<std::string>{"archive", "expedition.json", "expedition.json.lock"}));
}

// Records which files a write opens and renames, and can make one call fail.
class ScriptedSystem final : public save::WriteSystem {
 public:
  enum class Call : std::uint8_t {
    None,
    OpenFile,
    WriteAll,
    FsyncFile,
    Rename,
    OpenDirectory,
    FsyncDirectory
  };

  ScriptedSystem(Call failing, int code) : failing_(failing), code_(code) {}

  int open(const char* path, int flags, mode_t mode) const override {
    const bool directory = (flags & O_DIRECTORY) != 0;
    opened.push_back(path);
    if (fails(directory ? Call::OpenDirectory : Call::OpenFile)) return -1;
    return WriteSystem::open(path, flags, mode);
  }
  Result<void> write_all(int fd, std::string_view bytes) const override {
    if (failing_ == Call::WriteAll) {
      // Part of the bytes reach the file first, as when a disk fills up mid-write.
      (void)WriteSystem::write_all(fd, bytes.substr(0, bytes.size() / 2));
      return std::unexpected(Error::from_errno(code_));
    }
    return WriteSystem::write_all(fd, bytes);
  }
  int fsync(int fd) const override {
    if (fails(fsync_count_++ == 0 ? Call::FsyncFile : Call::FsyncDirectory)) return -1;
    return WriteSystem::fsync(fd);
  }
  int rename(const char* from, const char* to) const override {
    if (fails(Call::Rename)) return -1;
    return WriteSystem::rename(from, to);
  }

  mutable std::vector<std::string> opened;

 private:
  bool fails(Call call) const {
    if (call != failing_) return false;
    errno = code_;
    return true;
  }

  Call failing_;
  int code_;
  mutable int fsync_count_ = 0;
};

TEST_F(SaveTest, AFailedWriteLeavesTheOldSaveAndNoTemporaryFile) {
  using Call = ScriptedSystem::Call;
  struct Case {
    Call failing;
    int code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {Call::OpenFile, EROFS, "Read-only file system (os error 30)"},
      {Call::OpenFile, EACCES, "Permission denied (os error 13)"},
      {Call::WriteAll, ENOSPC, "No space left on device (os error 28)"},
      {Call::FsyncFile, EIO, "Input/output error (os error 5)"},
      {Call::Rename, EXDEV, "Invalid cross-device link (os error 18)"},
  };
  write_practice_save();
  const std::string old_bytes = read_file(save_);
  Record next = Record::practice(3);
  next.actions = {11};
  for (const Case& test : cases) {
    const auto written = Save::write(save_path(), next, ScriptedSystem(test.failing, test.code));
    ASSERT_FALSE(written) << test.message;
    EXPECT_EQ(written.error().text(), test.message);
    EXPECT_EQ(written.error().os_code(), test.code);
    EXPECT_EQ(read_file(save_), old_bytes) << test.message;
    EXPECT_EQ(names_in(root_), std::vector<std::string>{"expedition.json"}) << test.message;
  }
}

TEST_F(SaveTest, AFailedDirectoryFlushIsReportedAfterTheSaveWasReplaced) {
  write_practice_save();
  Record next = Record::practice(3);
  next.actions = {11};
  const auto written =
      Save::write(save_path(), next, ScriptedSystem(ScriptedSystem::Call::FsyncDirectory, EIO));
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().text(), "Input/output error (os error 5)");
  EXPECT_EQ(read_file(save_), next.to_pretty_json());
  EXPECT_EQ(names_in(root_), std::vector<std::string>{"expedition.json"});
}

TEST_F(SaveTest, WritesGoThroughAFreshTemporaryFileBesideTheSave) {
  const fs::path previous = fs::current_path();
  fs::current_path(root_);
  ScriptedSystem recorder(ScriptedSystem::Call::None, 0);
  const auto written = Save::write("expedition.json", Record::practice(1), recorder);
  fs::current_path(previous);
  ASSERT_TRUE(written) << written.error().text();
  ASSERT_EQ(recorder.opened.size(), 2u);
  EXPECT_TRUE(
      std::regex_match(recorder.opened[0], std::regex("\\./\\.burrowlight-[0-9a-f]{16}\\.tmp")))
      << recorder.opened[0];
  EXPECT_EQ(recorder.opened[1], ".");
  EXPECT_EQ(read_file(save_), Record::practice(1).to_pretty_json());
  EXPECT_EQ(permissions(save_), 0600u);
}

TEST(SaveSuffix, IsSixteenFreshLowercaseHexDigits) {
  const auto first = save::random_suffix();
  const auto second = save::random_suffix();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(std::regex_match(*first, std::regex("[0-9a-f]{16}"))) << *first;
  EXPECT_NE(*first, *second);
}

// Sets or clears environment variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SaveDefaultPath, FollowsTheDataDirectoryAndNeedsHome) {
  {
    ScopedEnvironment home("HOME", nullptr);
    ScopedEnvironment data("XDG_DATA_HOME", "/x");
    const auto path = save::default_path();
    ASSERT_FALSE(path);
    EXPECT_EQ(path.error().text(), "HOME is unset; use --save PATH");
  }
  {
    ScopedEnvironment home("HOME", "/home/delver");
    ScopedEnvironment data("XDG_DATA_HOME", "/x");
    EXPECT_EQ(save::default_path(), "/x/burrowlight/expedition.json");
  }
  {
    ScopedEnvironment home("HOME", "/home/delver");
    ScopedEnvironment data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(save::default_path(), "/home/delver/.local/share/burrowlight/expedition.json");
  }
}

}  // namespace
}  // namespace burrowlight
