// Opening a save that holds any document of the JSON corpus, whole or set into a save,
// never changes the file: not its bytes, not its modification time, not its inode, and
// no temporary or archive file appears beside it. The error is the reader's own.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "app/save.hpp"
#include "core/expedition_record.hpp"
#include "core/json_corpus.hpp"

namespace burrowlight::app {
namespace {

namespace fs = std::filesystem;
using json_corpus::Document;

// A moment long past, so that any write would show in the modification time.
constexpr timespec kOldTime{.tv_sec = 1'000'000'000, .tv_nsec = 123'456'789};

struct FileState {
  std::string bytes;
  ino_t inode;
  timespec modified;

  bool operator==(const FileState& other) const {
    return bytes == other.bytes && inode == other.inode &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

FileState state_of(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return {json_corpus::read_bytes(path), status.st_ino, status.st_mtim};
}

std::vector<std::string> names_in(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// What opening `bytes` must answer: the size refusal, the reader's error, the replay's
// error, or nothing for a save that is valid.
std::optional<std::string> expected_error(const std::string& bytes) {
  if (bytes.size() > app::save::kSizeLimit) return "Save exceeds 64 KiB; it was not changed.";
  const auto record = Record::from_json(bytes);
  if (!record) return record.error();
  if (auto replayed = record->replay(); !replayed) return replayed.error();
  return std::nullopt;
}

class SaveJsonCorpusTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(testing::TempDir()) / "burrowlight-corpus-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    save_ = root_ / "expedition.json";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Writes the save with an old modification time and opens it as a resumed expedition,
  // then, for a practice seed without --new, once more.
  void open_untouched(const std::string& bytes, const std::string& context) {
    {
      std::ofstream out(save_, std::ios::binary | std::ios::trunc);
      out << bytes;
    }
    const timespec times[2] = {kOldTime, kOldTime};
    ASSERT_EQ(::utimensat(AT_FDCWD, save_.c_str(), times, 0), 0);
    const FileState before = state_of(save_);

    const std::optional<std::string> error = expected_error(bytes);
    {
      const auto opened = app::Save::open(save_.string(), false, std::nullopt);
      if (error) {
        ASSERT_FALSE(opened) << context;
        EXPECT_EQ(opened.error().text(), *error) << context;
      } else {
        ASSERT_TRUE(opened) << context << ": " << opened.error().text();
        EXPECT_EQ(opened->second.record(), *Record::from_json(bytes)) << context;
      }
    }
    const auto seeded = app::Save::open(save_.string(), false, 7);
    ASSERT_FALSE(seeded) << context;
    EXPECT_EQ(seeded.error().text(),
              bytes.size() > app::save::kSizeLimit
                  ? "Save exceeds 64 KiB; it was not changed."
                  : "Use --new with --seed to create a practice expedition; the existing save "
                    "was not changed.")
        << context;

    EXPECT_TRUE(state_of(save_) == before) << context << ": the save changed";
    EXPECT_EQ(names_in(root_),
              (std::vector<std::string>{"expedition.json", "expedition.json.lock"}))
        << context;
  }

  fs::path root_;
  fs::path save_;
};

TEST_F(SaveJsonCorpusTest, OpeningNeverChangesTheSave) {
  std::vector<Document> documents = json_corpus::own_corpus(BURROWLIGHT_SOURCE_DIR);
  const auto suite = json_corpus::public_suite();
  ASSERT_TRUE(suite.has_value()) << "no JSON parsing test suite at " << json_corpus::suite_path()
                                 << "; run scripts/setup --test";
  documents.insert(documents.end(), suite->begin(), suite->end());
  for (const Document& document : documents) {
    open_untouched(document.text, document.name);
    open_untouched(json_corpus::embedded(json_corpus::Place::Seed, document.text),
                   document.name + " as seed");
  }
}

TEST_F(SaveJsonCorpusTest, AValidSaveIsResumedWithoutBeingWritten) {
  Record record = Record::practice(0);
  record.actions = {4, 2, 9};
  open_untouched(record.to_pretty_json(), "practice save");
  EXPECT_EQ(json_corpus::read_bytes(save_), record.to_pretty_json());
}

}  // namespace
}  // namespace burrowlight::app
