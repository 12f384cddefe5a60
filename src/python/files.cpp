#include "python/files.hpp"

#include <string>
#include <utility>

#include "app/save.hpp"
#include "python/arguments.hpp"
#include "python/errors.hpp"

namespace burrowlight::python {

namespace {

Result<void> replace_under_lock(const std::string& path, const Record& record) {
  auto held = app::Save::lock(path);
  if (!held) return std::unexpected(held.error());
  return held->replace(record);
}

}  // namespace

void save_expedition(const env::ExpeditionEnv& environment, const py::object& path) {
  const std::string file = path_bytes(path);
  const Record record = environment.record();
  const Result<void> replaced = [&] {
    const py::gil_scoped_release released;
    return replace_under_lock(file, record);
  }();
  if (!replaced) raise_failure(replaced.error(), path);
}

void load_expedition(env::ExpeditionEnv& environment, const py::object& path) {
  const std::string file = path_bytes(path);
  app::save::Inspection inspected = [&] {
    const py::gil_scoped_release released;
    return app::save::inspect_file(file);
  }();
  if (!inspected.run) raise_failure(inspected.run.error(), path);
  environment.resume(std::move(*inspected.run));
}

}  // namespace burrowlight::python
