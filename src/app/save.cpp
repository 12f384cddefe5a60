#include "app/save.hpp"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/durable_write.hpp"
#include "app/save_temporaries.hpp"
#include "base/untrusted_text.hpp"
#include "sys/io.hpp"
#include "sys/os_error.hpp"
#include "sys/random.hpp"
#include "sys/retry.hpp"

namespace burrowlight::app {

namespace save {

namespace {

constexpr std::string_view kLockEnd = ".lock";

// A path as a message shows it: whatever bytes it holds, none reaches the terminal as
// a control sequence.
std::string shown(std::string_view path) { return escape_untrusted(path, Untrusted::SaveText); }

// Where replaced saves are kept, beside the save.
std::string archive_directory_of(const std::string& path) {
  return join(directory_of(path), "archive");
}

Error unset_variable(std::string_view name) {
  return Error(std::string(name) + " is unset; use --save PATH");
}

using sys::last_os_error;
using sys::retry_interrupted;
using sys::UniqueFd;

// Opens the lock file and takes its lock without waiting: a second process on the same
// save fails at once instead of hanging until the first one ends.
Result<UniqueFd> lock(const std::string& path) {
  const std::string lock_path = path + std::string(kLockEnd);
  UniqueFd file(retry_interrupted(
      [&] { return ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kPrivateFile); }));
  // The user never named the lock file, so the error does.
  if (!file.valid())
    return std::unexpected(
        last_os_error("Cannot lock save " + shown(path) + ": " + shown(lock_path)));
  if (retry_interrupted([&] { return ::flock(file.get(), LOCK_EX | LOCK_NB); }) != 0)
    return std::unexpected(Error(error::LockHeld{shown(path), errno == EWOULDBLOCK}));
  return file;
}

Error not_a_regular_file(const std::string& path) {
  return Error("Save " + shown(path) + " is not a regular file; it was not changed.");
}

std::unexpected<Error> invalid(std::string reason) {
  return std::unexpected(Error(error::InvalidSave{std::move(reason)}));
}

// The save's bytes, or nothing when there is no save yet.
Result<std::optional<std::string>> read_existing(const std::string& path) {
  auto bytes = sys::read_file_start(path, kSizeLimit, not_a_regular_file(path));
  if (!bytes) {
    if (bytes.error().os_code() == ENOENT) return std::nullopt;
    return std::unexpected(bytes.error());
  }
  // Refused whatever the caller meant to do with it, "--new" included.
  if (bytes->size() > kSizeLimit)
    return std::unexpected(Error("Save exceeds 64 KiB; it was not changed."));
  return std::move(*bytes);
}

// Keeps a replaced save byte for byte, unparsed, under a fresh name in the archive. The
// save is replaced next, so the archived copy must be durable first.
Result<void> archive(const std::string& path, std::string_view bytes, const WriteSystem& system) {
  const std::string archive_directory = archive_directory_of(path);
  if (auto created = create_directories(archive_directory); !created) return created;
  const auto suffix = random_suffix();
  if (!suffix) return std::unexpected(suffix.error());
  return write_durably(join(archive_directory, "expedition-" + *suffix + ".json"), bytes, path,
                       system);
}

// Whether `later` holds everything `earlier` does: the same expedition with the same
// actions first, and sealed if `earlier` was.
bool extends(const Record& later, const Record& earlier) {
  if (later.secret != earlier.secret || later.seed != earlier.seed) return false;
  if (later.actions.size() < earlier.actions.size() ||
      !std::equal(earlier.actions.begin(), earlier.actions.end(), later.actions.begin()))
    return false;
  return !earlier.finished || (later.finished && later.actions.size() == earlier.actions.size());
}

// Whether replacing `bytes` with `record` would lose a normal expedition or more of one
// that only they hold (another one, or the same one further played), or anything that
// is not a save at all. Practice is replaced as --new would not need to keep it: any
// seed plays again.
bool would_lose_an_expedition(std::string_view bytes, const Record& record) {
  const auto existing = Record::from_json(bytes);
  if (!existing) return true;
  return existing->secret && !extends(record, *existing);
}

// The new expedition's record: practice on a given seed, otherwise a fresh secret.
Result<Record> new_record(std::optional<std::uint64_t> seed) {
  if (seed) return Record::practice(*seed);
  record::Secret secret;
  if (auto filled = sys::fill_random(secret); !filled) return std::unexpected(filled.error());
  return Record(secret);
}

}  // namespace

Result<void> check_save_path(const std::string& path) {
  if (path.empty()) return std::unexpected(Error("The save path is empty; nothing was created."));
  const std::string name = std::filesystem::path(path).filename().string();
  if (name.empty() || name == "." || name == "..") {
    return std::unexpected(
        Error("Save " + shown(path) + " names a directory, not a file; nothing was created."));
  }
  if (name.size() + kLockEnd.size() > NAME_MAX) {
    return std::unexpected(Error("Save name " + shown(name) +
                                 " is too long: its lock file adds \"" + std::string(kLockEnd) +
                                 "\" and the system takes names of at most " +
                                 std::to_string(NAME_MAX) + " bytes; nothing was created."));
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
    return std::unexpected(not_a_regular_file(path));
  return {};
}

Result<std::string> default_path() {
  const char* home = std::getenv("HOME");
  if (home == nullptr) return std::unexpected(unset_variable("HOME"));
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path data = data_home != nullptr
                                         ? std::filesystem::path(data_home)
                                         : std::filesystem::path(home) / ".local/share";
  return (data / "burrowlight" / "expedition.json").string();
}

Inspection inspect(std::string_view bytes) {
  auto record = Record::from_json(bytes);
  if (!record) return {std::nullopt, invalid(std::move(record.error()))};
  auto run = expedition::Run::start(*record);
  if (!run) return {std::move(*record), invalid(std::move(run.error()))};
  return {std::move(*record), std::move(*run)};
}

Inspection inspect_file(const std::string& path) {
  auto existing = read_existing(path);
  if (!existing) return {std::nullopt, std::unexpected(existing.error())};
  // The game would make a new expedition here; a reader has nothing to check.
  if (!*existing) return {std::nullopt, std::unexpected(sys::os_error(ENOENT))};
  return inspect(**existing);
}

}  // namespace save

Result<Save> Save::lock(const std::string& path) {
  if (auto checked = save::check_save_path(path); !checked) return std::unexpected(checked.error());
  if (auto created = save::create_directories(save::directory_of(path)); !created)
    return std::unexpected(created.error());
  auto lock = save::lock(path);
  if (!lock) return std::unexpected(lock.error());
  save::remove_stale_temporaries(save::directory_of(path), path);
  save::remove_stale_temporaries(save::archive_directory_of(path), path);
  return Save(path, std::move(*lock));
}

Result<std::pair<Save, expedition::Run>> Save::open(const std::string& path, bool new_expedition,
                                                    std::optional<std::uint64_t> seed) {
  auto locked = lock(path);
  if (!locked) return std::unexpected(locked.error());
  Save opened = std::move(*locked);
  using Opened = std::pair<Save, expedition::Run>;

  const auto existing = save::read_existing(path);
  if (!existing) return std::unexpected(existing.error());
  if (*existing) {
    const std::string& bytes = **existing;
    if (new_expedition) {
      if (auto archived = save::archive(path, bytes, save::WriteSystem()); !archived)
        return std::unexpected(archived.error());
    } else if (seed) {
      return std::unexpected(
          Error("Use --new with --seed to create a practice expedition; the existing save was not "
                "changed."));
    } else {
      save::Inspection inspection = save::inspect(bytes);
      if (!inspection.run) return std::unexpected(inspection.run.error());
      return Opened(std::move(opened), std::move(*inspection.run));
    }
  }

  auto record = save::new_record(seed);
  if (!record) return std::unexpected(record.error());
  if (auto written = opened.write(*record); !written) return std::unexpected(written.error());
  return Opened(std::move(opened), expedition::Run::fresh(std::move(*record)));
}

Result<void> Save::write(const Record& record) const { return write(record, save::WriteSystem()); }

Result<void> Save::write(const Record& record, const save::WriteSystem& system) const {
  return save::write_durably(path_, record.to_pretty_json(), path_, system);
}

Result<void> Save::replace(const Record& record) const {
  return replace(record, save::WriteSystem());
}

Result<void> Save::replace(const Record& record, const save::WriteSystem& system) const {
  const auto existing = save::read_existing(path_);
  if (!existing) return std::unexpected(existing.error());
  if (*existing && save::would_lose_an_expedition(**existing, record)) {
    if (auto archived = save::archive(path_, **existing, system); !archived) return archived;
  }
  return write(record, system);
}

}  // namespace burrowlight::app
