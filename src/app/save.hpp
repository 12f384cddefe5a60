#pragma once
// The save file store: where the save lives, opening it under a lock that lasts for the
// whole process, and replacing it atomically after every accepted action, so that a
// run survives any exit and a reader never sees a partly written save. Checking a save
// is shared with the programs that only read saves.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/durable_write.hpp"
#include "base/error.hpp"
#include "core/expedition.hpp"
#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::app {

namespace save {

// Everything larger is refused before it is parsed.
inline constexpr std::size_t kSizeLimit = 65536;

// The data directory's burrowlight/expedition.json; HOME must be set in any case.
Result<std::string> default_path();

// What the game finds in a save, step by step, before it plays it: the record once the
// bytes parse, and the run once that record replays. `run` otherwise holds the first
// failure with the message the game prints for it.
struct Inspection {
  std::optional<Record> record;
  Result<expedition::Run> run;
};

// Checks a save's bytes as opening it does: a strict parse, then the one replay of the
// record that gives its run.
Inspection inspect(std::string_view bytes);

// Checks the save at `path` for a program that only reads it: no lock is taken and
// nothing is created or written, so a running game may hold the save meanwhile. A
// save that cannot be read (missing, oversized, unreadable, not a regular file) fails
// with the system's words or the game's sentence. Reading follows a symbolic link, as
// opening does; a write replaces the link itself.
Inspection inspect_file(const std::string& path);

// What Save::lock refuses before it creates anything: a path that names no file (empty,
// ".", "..", ending in "/"), a file name too long for its lock file's name, and a path
// where something other than a regular file is.
Result<void> check_save_path(const std::string& path);

}  // namespace save

// A save path held under its lock, the only way to write a save: no code can replace a
// save that another process is playing.
class Save {
 public:
  // Refuses what save::check_save_path refuses, before anything is created. Then creates
  // the save's directory if it is missing and takes the save's lock, reading nothing; the
  // lock fails at once when another process holds it. Holding the lock, it
  // removes the temporary files of this save that a killed writer left beside it and in
  // its archive.
  static Result<Save> lock(const std::string& path);

  // Locks the save at `path`, then resumes it, or creates a new expedition when there is
  // none or when `new_expedition` asks for one (archiving the old file first). A practice
  // `seed` is only taken for a new expedition. The run is the record replayed once.
  // Every failure leaves the save as it was.
  static Result<std::pair<Save, expedition::Run>> open(const std::string& path, bool new_expedition,
                                                       std::optional<std::uint64_t> seed);

  // Replaces the save with `record` in one step, as every file of a save is written: a
  // temporary file is written, flushed to the device and renamed over the save, then the
  // directory is flushed.
  Result<void> write(const Record& record) const;
  Result<void> write(const Record& record, const save::WriteSystem& system) const;

  // What a program other than the game does to put `record` where the save is: the
  // checks of opening (only a regular file of at most 64 KiB is replaced), then, if the
  // file holds no save at all or a normal expedition that `record` does not extend
  // (another secret, other actions, fewer actions, or sealed where `record` is not), a
  // copy of it in the archive as --new keeps one, then `write`.
  Result<void> replace(const Record& record) const;
  Result<void> replace(const Record& record, const save::WriteSystem& system) const;

  const std::string& path() const { return path_; }

 private:
  Save(std::string path, sys::UniqueFd lock) : path_(std::move(path)), lock_(std::move(lock)) {}

  std::string path_;
  // Closing it releases the lock, so it lives exactly as long as this `Save`.
  sys::UniqueFd lock_;
};

}  // namespace burrowlight::app
