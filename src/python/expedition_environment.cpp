#include "python/expedition_environment.hpp"

#include <pybind11/stl.h>

#include <optional>
#include <vector>

#include "python/arguments.hpp"
#include "python/environment_common.hpp"
#include "python/fast_methods.hpp"
#include "python/files.hpp"
#include "python/pixels.hpp"
#include "python/states.hpp"

namespace burrowlight::python {

namespace {

py::dict record_of(const Record& record) {
  py::dict result;
  result["format_version"] = record.format_version;
  result["rules_version"] = record.rules_version;
  result["seed"] = record.seed;
  if (record.secret) {
    result["secret"] =
        py::list(py::cast(std::vector<int>(record.secret->begin(), record.secret->end())));
  } else {
    result["secret"] = py::none();
  }
  result["actions"] =
      py::list(py::cast(std::vector<int>(record.actions.begin(), record.actions.end())));
  result["finished"] = record.finished;
  return result;
}

constexpr const char* kResetDoc =
    "Starts an episode and returns (observation, info): the practice expedition of `seed` "
    "(a random one when None), or with options={'secret': 32 bytes} a normal expedition "
    "of that secret. info holds 'seed' and 'expedition_id' (None for practice).";
constexpr const char* kFlatMapDoc =
    "The map as one row of glyphs (True) or as rows (False) in the observations of reset and "
    "step from now on.";
constexpr const char* kStepDoc =
    "Plays the action (an index into EXPEDITION_ACTIONS) and returns (observation, reward, "
    "terminated, truncated, info); a refused action puts its sentence in info['error'].";

}  // namespace

py::tuple PythonExpedition::reset(const py::object& seed, const py::object& options) {
  // Checked even beside a secret, which makes the seed: a bad argument is never ignored.
  const std::uint64_t chosen_seed = seed_of(seed);
  const std::optional<record::Secret> secret = secret_option(options);
  KeptObservation& arrays = observations_.next();
  if (secret) {
    env_.reset(*secret);
  } else {
    env_.reset(chosen_seed);
  }
  py::dict info;
  info["seed"] = env_.record().seed;
  info["expedition_id"] =
      env_.record().expedition_id() ? py::cast(*env_.record().expedition_id()) : py::none();
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), info);
}

py::tuple PythonExpedition::step(const py::handle& action) {
  const std::size_t index = action_index(action, env::kExpeditionActionCount);
  KeptObservation& arrays = observations_.next();
  py::dict info;
  const env::ExpeditionStep result = env_.step(index);
  if (result.error) info["error"] = std::string(expedition::message(*result.error));
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), result.reward, result.terminated, result.truncated, info);
}

py::dict PythonExpedition::observation() {
  KeptObservation& arrays = shown_.next();
  env_.observe(arrays.rows());
  return arrays.dict();
}

std::string PythonExpedition::reply() { return without_line_feed(env_.reply()); }

void PythonExpedition::restore(const py::handle& state) {
  env_.restore(state_of<env::ExpeditionState>(state, "ExpeditionEnv"));
}

py::array_t<std::uint8_t> PythonExpedition::pixels() const { return expedition_pixels(env_); }

py::dict PythonExpedition::record() const { return record_of(env_.record()); }

void PythonExpedition::save(const py::object& path) const { save_expedition(env_, path); }

void PythonExpedition::load(const py::object& path) { load_expedition(env_, path); }

void bind_expedition(py::module_& module) {
  using Class = PythonExpedition;
  const auto type =
      py::class_<Class>(module, "ExpeditionEnv", py::dynamic_attr())
          .def(py::init<>())
          .def("reset", &Class::reset, py::kw_only(), py::arg("seed") = py::none(),
               py::arg("options") = py::none(), kResetDoc)
          .def("step", &Class::step, py::arg("action"), kStepDoc)
          .def("_observation", &Class::observation)
          .def_property("_flat_map", &Class::flat_map, &Class::set_flat_map, kFlatMapDoc)
          .def("_pixels", &Class::pixels)
          .def("reply", &Class::reply, kReplyDoc)
          .def("record", &Class::record,
               "The run as the game saves it: a dict of the save file's fields.")
          .def("save", &Class::save, py::arg("path"),
               "Writes the run to `path` as the game's save file, which the game and the tools "
               "open; raises OSError when the file cannot be written.")
          .def("_load", &Class::load, py::arg("path"));
  add_clone_and_restore<Class>(type, kCloneDoc, kRestoreDoc);
}

}  // namespace burrowlight::python
