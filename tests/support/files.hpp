#pragma once
// Files for tests: a private directory that is gone when the test ends, the whole
// content of a file, and the programs a test drives found the way a shell finds them.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace burrowlight::test_support {

// Where a temporary directory lives. Memory is for tests about logic rather than the
// disk, so that thousands of small writes cost nothing; it falls back to the disk where
// the system has no /dev/shm.
enum class Medium { Disk, Memory };

// A fresh directory made with mkdtemp, named after `prefix`, and removed with all that
// is in it when this object goes. It throws std::system_error, naming the pattern, when
// it cannot be made; Google Test reports that as the test's failure.
class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(std::string_view prefix, Medium medium = Medium::Disk);
  ~TemporaryDirectory();

  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The bytes of the file. One that cannot be opened fails the running test, naming the
// file, and reads as empty.
std::string read_file(const std::filesystem::path& path);

// The executable that a shell would run for `name`, searched along PATH only, so that
// a test can be made to see a machine without the tool; nothing when there is none.
std::optional<std::filesystem::path> find_on_path(std::string_view name);

}  // namespace burrowlight::test_support
