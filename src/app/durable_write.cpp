#include "app/durable_write.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "app/save_temporaries.hpp"
#include "core/expedition_record.hpp"
#include "sys/io.hpp"
#include "sys/os_error.hpp"
#include "sys/random.hpp"
#include "sys/retry.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::app::save {

using sys::last_os_error;
using sys::retry_interrupted;
using sys::UniqueFd;

namespace {

int open_retrying(const char* path, int flags, mode_t mode) {
  return retry_interrupted([&] { return ::open(path, flags, mode); });
}

// Linux releases the descriptor even when close reports an interruption, so only other
// errors (such as a delayed write error on a network file system) count.
Result<void> close_checked(UniqueFd& file) {
  if (::close(file.release()) != 0 && errno != EINTR) return std::unexpected(last_os_error());
  return {};
}

// Makes the names in a directory durable, so that a created or renamed file survives a crash.
Result<void> sync_directory(const std::string& directory, const WriteSystem& system) {
  UniqueFd handle(system.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!handle.valid()) return std::unexpected(last_os_error());
  if (system.fsync(handle.get()) != 0) return std::unexpected(last_os_error());
  return close_checked(handle);
}

// Fills the temporary file, flushes and closes it, and renames it onto `path`; the caller
// removes the temporary file if any of this fails.
Result<void> fill_and_rename(UniqueFd& file, const std::string& temporary, const std::string& path,
                             std::string_view bytes, const WriteSystem& system) {
  if (auto written = system.write_all(file.get(), bytes); !written) return written;
  if (system.fsync(file.get()) != 0) return std::unexpected(last_os_error());
  if (auto closed = close_checked(file); !closed) return closed;
  if (system.rename(temporary.c_str(), path.c_str()) != 0) return std::unexpected(last_os_error());
  return {};
}

}  // namespace

std::string directory_of(const std::string& path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

std::string join(const std::string& directory, std::string_view name) {
  return (std::filesystem::path(directory) / name).string();
}

Result<void> create_directories(const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) return std::unexpected(sys::os_error(error.value()));
  return {};
}

Result<void> write_durably(const std::string& path, std::string_view bytes,
                           const std::string& owner, const WriteSystem& system) {
  const std::string directory = directory_of(path);
  const auto suffix = random_suffix();
  if (!suffix) return std::unexpected(suffix.error());
  const std::string temporary = join(directory, temporary_name(owner, *suffix));

  UniqueFd file(
      system.open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFile));
  if (!file.valid()) return std::unexpected(last_os_error());
  if (auto renamed = fill_and_rename(file, temporary, path, bytes, system); !renamed) {
    // A failure to remove it is ignored: the first error is the one that explains why
    // the file was not written.
    file.reset();
    ::unlink(temporary.c_str());
    return renamed;
  }
  // The new file is already in place if this fails; the error still says it may not last.
  return sync_directory(directory, system);
}

Result<std::string> random_suffix() {
  std::array<std::uint8_t, 8> bytes;
  if (auto filled = sys::fill_random(bytes); !filled) return std::unexpected(filled.error());
  return record::hex(bytes);
}

int WriteSystem::open(const char* path, int flags, mode_t mode) const {
  return open_retrying(path, flags, mode);
}

Result<void> WriteSystem::write_all(int fd, std::string_view bytes) const {
  return sys::write_all(fd, bytes);
}

int WriteSystem::fsync(int fd) const {
  return retry_interrupted([&] { return ::fsync(fd); });
}

int WriteSystem::rename(const char* from, const char* to) const { return ::rename(from, to); }

}  // namespace burrowlight::app::save
