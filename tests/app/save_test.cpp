#include "app/save.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/files.hpp"
#include "sys/os_error.hpp"

namespace burrowlight::app {
namespace {

namespace fs = std::filesystem;
using test_support::read_file;

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
  std::string save_path() const { return save_.string(); }

  void write_practice_save() { write_file(save_, Record::practice(3).to_pretty_json()); }

  test_support::TemporaryDirectory temporary_{"burrowlight-save"};
  fs::path root_ = temporary_.path();
  fs::path save_ = root_ / "expedition.json";
};

TEST_F(SaveTest, FirstRunCreatesTheDirectoriesTheSaveAndItsLock) {
  const fs::path path = root_ / "data" / "burrowlight" / "expedition.json";
  auto opened = app::Save::open(path.string(), false, std::nullopt);
  ASSERT_TRUE(opened) << opened.error().text();
  const auto& save = opened->first;
  const Record& record = opened->second.record();
  EXPECT_EQ(save.path(), path.string());
  ASSERT_TRUE(record.secret.has_value());
  EXPECT_EQ(record, Record(*record.secret));
  EXPECT_EQ(read_file(path), record.to_pretty_json());
  EXPECT_EQ(permissions(path), 0600u);
  EXPECT_EQ(permissions(path.string() + ".lock"), 0600u);
  EXPECT_EQ(names_in(path.parent_path()),
            (std::vector<std::string>{"expedition.json", "expedition.json.lock"}));
}

TEST_F(SaveTest, PracticeSeedCreatesAPracticeSaveThatAPlainRunResumes) {
  {
    auto opened = app::Save::open(save_path(), false, 7);
    ASSERT_TRUE(opened) << opened.error().text();
    EXPECT_EQ(opened->second.record(), Record::practice(7));
  }
  EXPECT_NE(read_file(save_).find("\"secret\": null,"), std::string::npos);
  auto resumed = app::Save::open(save_path(), false, std::nullopt);
  ASSERT_TRUE(resumed) << resumed.error().text();
  EXPECT_EQ(resumed->second.record(), Record::practice(7));
}

TEST_F(SaveTest, NewArchivesTheExactOldBytesAndStartsAFreshRecord) {
  const std::vector<std::pair<std::string, std::optional<std::uint64_t>>> cases = {
      {std::string("not a save \0\xff\n", 15), std::nullopt},
      {Record::practice(3).to_pretty_json(), 5},
  };
  for (const auto& [old_bytes, seed] : cases) {
    SCOPED_TRACE(old_bytes);
    fs::remove_all(root_ / "archive");
    write_file(save_, old_bytes);
    auto opened = app::Save::open(save_path(), true, seed);
    ASSERT_TRUE(opened) << opened.error().text();
    const Record& record = opened->second.record();
    EXPECT_EQ(record,
              seed ? Record::practice(*seed) : Record(record.secret.value_or(record::Secret{})));
    EXPECT_EQ(read_file(save_), record.to_pretty_json());

    const std::vector<std::string> archived = names_in(root_ / "archive");
    ASSERT_EQ(archived.size(), 1u);
    EXPECT_TRUE(std::regex_match(archived[0], std::regex("expedition-[0-9a-f]{16}\\.json")))
        << archived[0];
    EXPECT_EQ(read_file(root_ / "archive" / archived[0]), old_bytes);
    EXPECT_EQ(permissions(root_ / "archive" / archived[0]), 0600u);
  }
}

TEST_F(SaveTest, SeedWithAnExistingSaveAndNoNewChangesNothing) {
  write_practice_save();
  const std::string old_bytes = read_file(save_);
  auto opened = app::Save::open(save_path(), false, 7);
  ASSERT_FALSE(opened);
  EXPECT_EQ(
      opened.error().text(),
      "Use --new with --seed to create a practice expedition; the existing save was not changed.");
  EXPECT_EQ(read_file(save_), old_bytes);
  EXPECT_FALSE(fs::exists(root_ / "archive"));
}

TEST_F(SaveTest, ASaveOf65536BytesIsReadAndOneByteMoreIsRefusedWithAndWithoutNew) {
  const std::string pretty = Record::practice(3).to_pretty_json();
  write_file(save_, pretty + std::string(app::save::kSizeLimit - pretty.size(), ' '));
  {
    auto largest = app::Save::open(save_path(), false, std::nullopt);
    ASSERT_TRUE(largest) << largest.error().text();
    EXPECT_EQ(largest->second.record(), Record::practice(3));
  }

  const std::string oversized = pretty + std::string(app::save::kSizeLimit + 1 - pretty.size(), ' ');
  write_file(save_, oversized);
  for (bool new_expedition : {false, true}) {
    auto opened = app::Save::open(save_path(), new_expedition, std::nullopt);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().text(), "Save exceeds 64 KiB; it was not changed.");
    EXPECT_EQ(read_file(save_), oversized);
    EXPECT_FALSE(fs::exists(root_ / "archive"));
  }
}

TEST_F(SaveTest, MalformedAndInvalidSavesAreRefusedAndLeftUntouched) {
  const std::string pretty = Record::practice(3).to_pretty_json();
  const auto edited = [&pretty](std::string_view from, std::string_view to) {
    return std::string(pretty).replace(pretty.find(from), from.size(), to);
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {pretty + "}",
       "parse error at line 9, column 1: syntax error while parsing value - unexpected '}'; "
       "expected end of input"},
      {edited("\n}", ",\n  \"score\": 9\n}"),
       "unknown field `score`, expected one of `format_version`, `rules_version`, `seed`, "
       "`secret`, `actions`, `finished` at line 8 column 9"},
      {edited("\"format_version\": 1", "\"format_version\": 2"),
       "Unsupported save or rules version; this save was not changed."},
  };
  for (const auto& [bytes, message] : cases) {
    write_file(save_, bytes);
    auto opened = app::Save::open(save_path(), false, std::nullopt);
    ASSERT_FALSE(opened) << bytes;
    EXPECT_EQ(opened.error().text(), message);
    EXPECT_EQ(opened.error().os_code(), std::nullopt);
    EXPECT_EQ(read_file(save_), bytes);
    EXPECT_EQ(names_in(root_),
              (std::vector<std::string>{"expedition.json", "expedition.json.lock"}));
  }
}

// A reader's check of a save says what opening it for play says, without the lock file
// or anything else appearing beside it, and keeps what it learnt before the failure.
TEST_F(SaveTest, InspectingAFileAgreesWithOpeningItAndCreatesNothing) {
  const std::string pretty = Record::practice(0).to_pretty_json();
  const auto edited = [&pretty](std::string_view from, std::string_view to) {
    return std::string(pretty).replace(pretty.find(from), from.size(), to);
  };
  Record blocked = Record::practice(0);
  blocked.actions = {1, 1};
  struct Case {
    std::string bytes;
    bool parses;
    bool valid;
  };
  const std::vector<Case> cases = {
      {pretty, true, true},
      {pretty + std::string(app::save::kSizeLimit + 1 - pretty.size(), ' '), false, false},
      {pretty + "}", false, false},
      {edited("\"format_version\": 1", "\"format_version\": 2"), true, false},
      {blocked.to_pretty_json(), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 200));
    write_file(save_, c.bytes);
    const app::save::Inspection inspection = app::save::inspect_file(save_path());
    EXPECT_EQ(names_in(root_), std::vector<std::string>{"expedition.json"});
    EXPECT_EQ(inspection.record.has_value(), c.parses);
    ASSERT_EQ(inspection.run.has_value(), c.valid);
    auto opened = app::Save::open(save_path(), false, std::nullopt);
    ASSERT_EQ(opened.has_value(), c.valid);
    if (c.valid) {
      EXPECT_EQ(*inspection.record, opened->second.record());
      EXPECT_EQ(*inspection.run, opened->second);
    } else {
      EXPECT_EQ(inspection.run.error(), opened.error());
    }
    EXPECT_EQ(read_file(save_), c.bytes);
    fs::remove(save_path() + ".lock");
  }

  fs::remove(save_);
  EXPECT_EQ(app::save::inspect_file(save_path()).run.error().text(),
            "No such file or directory (os error 2)");
  EXPECT_TRUE(names_in(root_).empty());
}

TEST_F(SaveTest, SystemErrorsCarryTheSystemsWords) {
  write_file(root_ / "file", "");
  auto opened = app::Save::open((root_ / "file" / "expedition.json").string(), false, std::nullopt);
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.error().text(), "Not a directory (os error 20)");
}

TEST_F(SaveTest, ASecondProcessCannotLockTheSaveAndLeavesItAlone) {
  auto held = app::Save::open(save_path(), false, std::nullopt);
  ASSERT_TRUE(held) << held.error().text();
  const std::string saved = read_file(save_);

  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    auto second = app::Save::open(save_path(), true, 9);
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
  auto opened = app::Save::open("expedition.json", true, 11);
  fs::current_path(previous);
  ASSERT_TRUE(opened) << opened.error().text();
  EXPECT_EQ(opened->first.path(), "expedition.json");
  EXPECT_EQ(opened->second.record(), Record::practice(11));
  EXPECT_EQ(read_file(save_), Record::practice(11).to_pretty_json());
  ASSERT_EQ(names_in(root_ / "archive").size(), 1u);
  EXPECT_EQ(names_in(root_),
            (std::vector<std::string>{"archive", "expedition.json", "expedition.json.lock"}));
}

// Records which files a write opens and renames, and can make one call fail.
class ScriptedSystem final : public app::save::WriteSystem {
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
      return std::unexpected(sys::os_error(code_));
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

// Every failure before the rename leaves the old save; a failed flush of the directory
// comes after it, so the new save is already in place.
TEST_F(SaveTest, AFailedWriteLeavesNoTemporaryFileAndTheOldSaveUnlessItWasReplaced) {
  using Call = ScriptedSystem::Call;
  struct Case {
    Call failing;
    int code;
    std::string message;
    bool replaced;
  };
  const std::vector<Case> cases = {
      {Call::OpenFile, EROFS, "Read-only file system (os error 30)", false},
      {Call::OpenFile, EACCES, "Permission denied (os error 13)", false},
      {Call::WriteAll, ENOSPC, "No space left on device (os error 28)", false},
      {Call::FsyncFile, EIO, "Input/output error (os error 5)", false},
      {Call::Rename, EXDEV, "Invalid cross-device link (os error 18)", false},
      {Call::OpenDirectory, EACCES, "Permission denied (os error 13)", true},
      {Call::FsyncDirectory, EIO, "Input/output error (os error 5)", true},
  };
  Record next = Record::practice(3);
  next.actions = {11};
  auto held = app::Save::lock(save_path());
  ASSERT_TRUE(held) << held.error().text();
  for (const Case& test : cases) {
    SCOPED_TRACE(test.message);
    write_practice_save();
    const std::string old_bytes = read_file(save_);
    const auto written = held->write(next, ScriptedSystem(test.failing, test.code));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().text(), test.message);
    EXPECT_EQ(written.error().os_code(), test.code);
    EXPECT_EQ(read_file(save_), test.replaced ? next.to_pretty_json() : old_bytes);
    EXPECT_EQ(names_in(root_),
              (std::vector<std::string>{"expedition.json", "expedition.json.lock"}));
  }
}

TEST_F(SaveTest, WritesGoThroughAFreshTemporaryFileBesideTheSave) {
  const fs::path previous = fs::current_path();
  fs::current_path(root_);
  ScriptedSystem recorder(ScriptedSystem::Call::None, 0);
  auto held = app::Save::lock("expedition.json");
  ASSERT_TRUE(held) << held.error().text();
  const auto written = held->write(Record::practice(1), recorder);
  fs::current_path(previous);
  ASSERT_TRUE(written) << written.error().text();
  ASSERT_EQ(recorder.opened.size(), 2u);
  EXPECT_TRUE(std::regex_match(recorder.opened[0],
                               std::regex("\\./\\.burrowlight-[0-9a-f]{16}-[0-9a-f]{16}\\.tmp")))
      << recorder.opened[0];
  EXPECT_EQ(recorder.opened[1], ".");
  EXPECT_EQ(read_file(save_), Record::practice(1).to_pretty_json());
  EXPECT_EQ(permissions(save_), 0600u);
}

// The name of a temporary file that a write of the save at `path` goes through.
std::string temporary_name_of(const fs::path& path) {
  ScriptedSystem recorder(ScriptedSystem::Call::None, 0);
  auto held = app::Save::lock(path.string());
  EXPECT_TRUE(held && held->write(Record::practice(1), recorder));
  return recorder.opened.empty() ? "" : fs::path(recorder.opened[0]).filename().string();
}

TEST_F(SaveTest, TakingTheLockRemovesOnlyThisSavesTemporaryFiles) {
  const std::string own = temporary_name_of(save_);
  const std::string other = temporary_name_of(root_ / "other.json");
  // The random part is the last sixteen digits before ".tmp".
  const std::string own_prefix = own.substr(0, own.size() - 20);
  const std::vector<std::string> stale = {own_prefix + "0123456789abcdef.tmp",
                                          own_prefix + "fedcba9876543210.tmp"};
  const std::vector<std::string> kept = {other,
                                         own_prefix + "0123456789ABCDEF.tmp",
                                         own_prefix + "0123456789abcde.tmp",
                                         own_prefix + "0123456789abcdef.tmp.json",
                                         ".burrowlight-0123456789abcdef.tmp",
                                         "notes.txt"};
  for (const std::vector<std::string>* names : {&stale, &kept}) {
    for (const std::string& name : *names) write_file(root_ / name, "left behind");
  }
  const auto held = app::Save::lock(save_path());
  ASSERT_TRUE(held) << held.error().text();

  std::vector<std::string> expected = kept;
  expected.insert(expected.end(),
                  {"expedition.json", "expedition.json.lock", "other.json", "other.json.lock"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names_in(root_), expected);
}

// An archived copy is written through a temporary file named after the save, so a killed
// writer's leftover is found there too.
TEST_F(SaveTest, TakingTheLockRemovesThisSavesTemporaryFilesFromItsArchive) {
  const std::string own = temporary_name_of(save_);
  const std::string stale = own.substr(0, own.size() - 20) + "0123456789abcdef.tmp";
  fs::create_directory(root_ / "archive");
  for (const std::string& name : {stale, std::string("expedition-0123456789abcdef.json")})
    write_file(root_ / "archive" / name, "left behind");
  const auto held = app::Save::lock(save_path());
  ASSERT_TRUE(held) << held.error().text();
  EXPECT_EQ(names_in(root_ / "archive"),
            (std::vector<std::string>{"expedition-0123456789abcdef.json"}));
}

// What a program other than the game keeps of the file it replaces: only an expedition
// that would otherwise be lost goes to the archive first.
// The record's actions need not replay here: only the prefix relation is looked at.
Record with_actions(Record record, std::vector<std::uint8_t> actions, bool finished = false) {
  record.actions = std::move(actions);
  record.finished = finished;
  return record;
}

TEST_F(SaveTest, ReplacingArchivesAnotherExpeditionOrOneTheRecordDoesNotExtend) {
  const record::Secret kept_secret{1};
  const record::Secret other_secret{2};
  const Record next = with_actions(Record(kept_secret), {3, 3, 2});
  const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
      {std::nullopt, false},
      {Record::practice(3).to_pretty_json(), false},
      {with_actions(Record::practice(3), {3, 3, 2, 2, 2}).to_pretty_json(), false},
      {Record(kept_secret).to_pretty_json(), false},
      {with_actions(Record(kept_secret), {3, 3}).to_pretty_json(), false},
      {next.to_pretty_json(), false},
      // The same expedition played further, differently, or sealed: a rewind.
      {with_actions(Record(kept_secret), {3, 3, 2, 1}).to_pretty_json(), true},
      {with_actions(Record(kept_secret), {3, 2}).to_pretty_json(), true},
      {with_actions(Record(kept_secret), {3, 3, 2}, true).to_pretty_json(), true},
      {Record(other_secret).to_pretty_json(), true},
      {std::string("not a save \0\xff\n", 15), true},
  };
  for (const auto& [old_bytes, archived] : cases) {
    SCOPED_TRACE(old_bytes.value_or("no save"));
    fs::remove_all(root_ / "archive");
    fs::remove(save_);
    if (old_bytes) write_file(save_, *old_bytes);
    const auto held = app::Save::lock(save_path());
    ASSERT_TRUE(held) << held.error().text();
    ASSERT_TRUE(held->replace(next));
    EXPECT_EQ(read_file(save_), next.to_pretty_json());
    const std::vector<std::string> copies = names_in(root_ / "archive");
    ASSERT_EQ(copies.size(), archived ? 1u : 0u);
    if (archived) {
      EXPECT_EQ(read_file(root_ / "archive" / copies[0]), *old_bytes);
    }
  }
}

// The archived copy is written as the save is: a failure before its rename leaves no copy
// and, whatever failed, the save is not replaced while its copy may not last.
TEST_F(SaveTest, AFailedArchiveWriteLeavesTheSaveAndNoPartialCopy) {
  using Call = ScriptedSystem::Call;
  struct Case {
    Call failing;
    int code;
    std::string message;
    bool archived;
  };
  const std::vector<Case> cases = {
      {Call::OpenFile, EACCES, "Permission denied (os error 13)", false},
      {Call::WriteAll, ENOSPC, "No space left on device (os error 28)", false},
      {Call::FsyncFile, EIO, "Input/output error (os error 5)", false},
      {Call::Rename, EXDEV, "Invalid cross-device link (os error 18)", false},
      {Call::OpenDirectory, EACCES, "Permission denied (os error 13)", true},
      {Call::FsyncDirectory, EIO, "Input/output error (os error 5)", true},
  };
  const std::string old_bytes = Record(record::Secret{2}).to_pretty_json();
  const auto held = app::Save::lock(save_path());
  ASSERT_TRUE(held) << held.error().text();
  for (const Case& test : cases) {
    SCOPED_TRACE(test.message);
    fs::remove_all(root_ / "archive");
    write_file(save_, old_bytes);
    const auto replaced =
        held->replace(Record(record::Secret{1}), ScriptedSystem(test.failing, test.code));
    ASSERT_FALSE(replaced);
    EXPECT_EQ(replaced.error().text(), test.message);
    EXPECT_EQ(replaced.error().os_code(), test.code);
    EXPECT_EQ(read_file(save_), old_bytes);
    EXPECT_EQ(names_in(root_),
              (std::vector<std::string>{"archive", "expedition.json", "expedition.json.lock"}));
    const std::vector<std::string> copies = names_in(root_ / "archive");
    ASSERT_EQ(copies.size(), test.archived ? 1u : 0u);
    if (test.archived) {
      EXPECT_EQ(read_file(root_ / "archive" / copies[0]), old_bytes);
    }
  }
}

TEST_F(SaveTest, OnlyARegularFileIsOpenedOrReplaced) {
  ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
  fs::create_directory(root_ / "directory");
  std::vector<std::string> kinds = {"fifo", "directory"};
  if (::mknod((root_ / "device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
    kinds.push_back("device");
  }
  for (const std::string& kind : kinds) {
    const std::string path = (root_ / kind).string();
    const std::string refusal = "Save " + path + " is not a regular file; it was not changed.";
    const auto opened = app::Save::open(path, false, std::nullopt);
    ASSERT_FALSE(opened) << kind;
    EXPECT_EQ(opened.error().text(), refusal);
    const auto held = app::Save::lock(path);
    ASSERT_FALSE(held) << kind;
    EXPECT_EQ(held.error().text(), refusal);
    EXPECT_EQ(app::save::inspect_file(path).run.error().text(), refusal);
    EXPECT_FALSE(fs::is_regular_file(path)) << kind;
    EXPECT_FALSE(fs::exists(path + ".lock")) << kind;
  }
}

// Taken under the lock, the checks of a replacement still hold for a file that became
// something else after the lock was taken.
TEST_F(SaveTest, AFileReplacedByADirectoryUnderTheLockIsNotReplaced) {
  const auto held = app::Save::lock(save_path());
  ASSERT_TRUE(held) << held.error().text();
  fs::create_directory(save_);
  const auto replaced = held->replace(Record::practice(1));
  ASSERT_FALSE(replaced);
  EXPECT_EQ(replaced.error().text(),
            "Save " + save_path() + " is not a regular file; it was not changed.");
}

TEST_F(SaveTest, PathsThatNameNoSaveFileAreRefusedBeforeAnythingIsCreated) {
  fs::create_directory(root_ / "directory");
  const std::string long_name(251, 'n');
  struct Case {
    std::string path;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"", "The save path is empty; nothing was created."},
      {"sub/", "Save sub/ names a directory, not a file; nothing was created."},
      {".", "Save . names a directory, not a file; nothing was created."},
      {"..", "Save .. names a directory, not a file; nothing was created."},
      {"sub/..", "Save sub/.. names a directory, not a file; nothing was created."},
      {"directory", "Save directory is not a regular file; it was not changed."},
      {"sub/" + long_name,
       "Save name " + long_name +
           " is too long: its lock file adds \".lock\" and the system takes names of at most 255 "
           "bytes; nothing was created."},
      {"\x1b]0;title\x07\xff/",
       "Save \\u{1b}]0;title\\u{07}\\x{ff}/ names a directory, not a file; nothing was created."},
  };
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto held = app::Save::lock(c.path);
    ASSERT_FALSE(held);
    EXPECT_EQ(held.error().text(), c.error);
    const auto opened = app::Save::open(c.path, true, std::nullopt);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().text(), c.error);
    EXPECT_EQ(names_in(root_), std::vector<std::string>{"directory"});
    EXPECT_TRUE(names_in(root_ / "directory").empty());
  }
  // The longest name that takes a lock file.
  const std::string longest(250, 'n');
  EXPECT_TRUE(app::Save::open(longest, false, std::nullopt));
  fs::current_path(before);
}

TEST_F(SaveTest, ALockFileThatCannotBeOpenedIsNamed) {
  fs::create_directory(save_path() + ".lock");
  const auto held = app::Save::lock(save_path());
  ASSERT_FALSE(held);
  EXPECT_EQ(held.error().text(), "Cannot lock save " + save_path() + ": " + save_path() +
                                     ".lock: Is a directory (os error 21)");
  EXPECT_EQ(held.error().os_code(), EISDIR);
}

TEST(SaveSuffix, IsSixteenFreshLowercaseHexDigits) {
  const auto first = app::save::random_suffix();
  const auto second = app::save::random_suffix();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(std::regex_match(*first, std::regex("[0-9a-f]{16}"))) << *first;
  EXPECT_NE(*first, *second);
}

// Runs save::default_path with HOME and XDG_DATA_HOME set as given (null: unset), then
// puts both variables back as they were.
Result<std::string> default_path_with(const char* home, const char* data) {
  const std::pair<const char*, const char*> wanted[] = {{"HOME", home}, {"XDG_DATA_HOME", data}};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const auto& [name, value] : wanted) {
    const char* old = std::getenv(name);
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  auto path = app::save::default_path();
  for (const auto& [name, old] : saved) old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name);
  return path;
}

TEST(SaveDefaultPath, FollowsTheDataDirectoryAndNeedsHome) {
  EXPECT_EQ(default_path_with(nullptr, "/x"),
            Result<std::string>(std::unexpected(Error("HOME is unset; use --save PATH"))));
  EXPECT_EQ(default_path_with("/home/delver", "/x"), "/x/burrowlight/expedition.json");
  EXPECT_EQ(default_path_with("/home/delver", nullptr),
            "/home/delver/.local/share/burrowlight/expedition.json");
}

}  // namespace
}  // namespace burrowlight::app
