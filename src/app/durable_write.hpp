#pragma once
// Writing a file so that a crash leaves either the old file or the whole new one, never a
// part: through a fresh temporary file beside it, flushed to the device, renamed onto it,
// and the directory flushed. The save and its archived copies are written this way, and
// tests replace single system calls to prove that a failure anywhere leaves the old files.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::app::save {

// Saves, archived copies and lock files are the player's alone.
inline constexpr mode_t kPrivateFile = 0600;

// The system calls of writing a save or its archived copy, with the calling convention of
// the system: -1 and errno on failure. The program uses these plain ones; tests override
// single calls to prove that a failed write leaves the previous files in place.
class WriteSystem {
 public:
  virtual ~WriteSystem() = default;
  virtual int open(const char* path, int flags, mode_t mode) const;
  virtual Result<void> write_all(int fd, std::string_view bytes) const;
  virtual int fsync(int fd) const;
  virtual int rename(const char* from, const char* to) const;
};

// The directory a file lives in.
std::string directory_of(const std::string& path);
std::string join(const std::string& directory, std::string_view name);
// Missing parents are created too, with 0777 less the umask.
Result<void> create_directories(const std::string& directory);

// Sixteen lowercase hexadecimal digits from eight random bytes.
Result<std::string> random_suffix();

// Puts `bytes` at `path` durably. The temporary file is named after the save at `owner`,
// whose lock the caller holds, so that taking that lock later removes what a killed
// writer left.
Result<void> write_durably(const std::string& path, std::string_view bytes,
                           const std::string& owner, const WriteSystem& system);

}  // namespace burrowlight::app::save
