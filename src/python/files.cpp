#include "python/files.hpp"

#include <string>
#include <utility>

#include "app/save.hpp"
#include "python/arguments.hpp"
#include "python/errors.hpp"

namespace burrowlight::python {

namespace {

// How a save went, told once the interpreter lock is held again.
struct Replaced {
  Result<void> result;
  bool lock_refused = false;
};

Replaced replace_under_lock(const std::string& path, const Record& record) {
  if (auto checked = save::check_save_path(path); !checked) return {checked};
  auto held = Save::lock(path);
  // Taking the lock fails without an errno only when another process holds it.
  if (!held) return {std::unexpected(held.error()), !held.error().os_code()};
  return {held->replace(record)};
}

}  // namespace

void save_expedition(const env::ExpeditionEnv& environment, const py::object& path) {
  const std::string file = path_bytes(path);
  const Record record = environment.record();
  const Replaced replaced = [&] {
    const py::gil_scoped_release released;
    return replace_under_lock(file, record);
  }();
  if (replaced.result) return;
  if (replaced.lock_refused) raise_lock_refused(replaced.result.error(), path);
  raise_failure(replaced.result.error(), path);
}

void load_expedition(env::ExpeditionEnv& environment, const py::object& path) {
  const std::string file = path_bytes(path);
  save::Inspection inspected = [&] {
    const py::gil_scoped_release released;
    return save::inspect_file(file);
  }();
  if (!inspected.run) raise_failure(inspected.run.error(), path);
  environment.resume(std::move(*inspected.run));
}

}  // namespace burrowlight::python
