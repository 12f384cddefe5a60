#pragma once
// The floor under every save write: the same system calls with the same bytes and
// nothing around them (exclusive create, write, fsync, rename, fsync of the directory).

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace burrowlight::bench {

// Writes `bytes` to `temporary` in `directory` and renames it onto `path`; false when
// any of the calls failed.
inline bool bare_save_write(const std::string& directory, const std::string& temporary,
                            const std::string& path, const std::string& bytes) {
  const int file = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const bool written =
      ::write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  const bool synced = ::fsync(file) == 0;
  const bool replaced = ::close(file) == 0 && ::rename(temporary.c_str(), path.c_str()) == 0;
  const int handle = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool durable = ::fsync(handle) == 0;
  return ::close(handle) == 0 && written && synced && replaced && durable;
}

}  // namespace burrowlight::bench
