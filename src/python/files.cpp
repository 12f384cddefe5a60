#include "python/files.hpp"

#include <utility>

#include "app/save.hpp"
#include "python/errors.hpp"

namespace burrowlight::python {

void save_expedition(const env::ExpeditionEnv& environment, const std::string& path) {
  auto held = Save::lock(path);
  if (!held) raise_os_error(held.error());
  if (auto written = held->write(environment.record()); !written) raise_os_error(written.error());
}

void load_expedition(env::ExpeditionEnv& environment, const std::string& path) {
  save::Inspection inspected = save::inspect_file(path);
  if (!inspected.run) raise_invalid_save(inspected.run.error().text());
  environment.resume(std::move(*inspected.run));
}

}  // namespace burrowlight::python
