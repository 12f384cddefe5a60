#include "python/environments.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "python/arguments.hpp"
#include "python/files.hpp"
#include "python/pixels.hpp"
#include "python/states.hpp"

namespace burrowlight::python {

namespace {

bool held_only_by(const py::handle& object, Py_ssize_t holders) {
  return Py_REFCNT(object.ptr()) == holders;
}

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

std::string without_line_feed(std::string_view line) {
  return std::string(line.substr(0, line.size() - 1));
}

}  // namespace

py::tuple PythonExpedition::reset(const py::object& seed, const py::object& options) {
  // Checked even beside a secret, which makes the seed: a bad argument is never ignored.
  const std::uint64_t chosen_seed = seed_of(seed);
  const std::optional<record::Secret> secret = secret_option(options);
  ExpeditionArrays& arrays = next_arrays();
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
  ExpeditionArrays& arrays = next_arrays();
  py::dict info;
  const env::ExpeditionStep result = env_.step(index);
  if (result.error) info["error"] = std::string(expedition::message(*result.error));
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), result.reward, result.terminated, result.truncated, info);
}

ExpeditionArrays::ExpeditionArrays() : dict_(arrays_.dict()) {
  for (std::size_t field = 0; field < entries_.size(); ++field) {
    const std::string_view name = env::kExpeditionFields[field].name;
    entries_[field] = {py::str(name.data(), name.size()), made(arrays_.arrays[field])};
  }
}

ExpeditionArrays::Made ExpeditionArrays::made(const py::array& array) {
  const py::detail::PyArray_Proxy* proxy = py::detail::array_proxy(array.ptr());
  return {&array, proxy->data, py::reinterpret_borrow<py::object>(proxy->descr),
          std::vector<py::ssize_t>(proxy->dimensions, proxy->dimensions + proxy->nd),
          std::vector<py::ssize_t>(proxy->strides, proxy->strides + proxy->nd)};
}

bool ExpeditionArrays::as_made(const Made& made) {
  PyObject* const object = made.array->ptr();
  const py::detail::PyArray_Proxy* proxy = py::detail::array_proxy(object);
  // Where the type keeps the list of weak references to an object (as CPython finds it).
  const Py_ssize_t weak_list = Py_TYPE(object)->tp_weaklistoffset;
  const bool weakly_held =
      weak_list > 0 && *reinterpret_cast<PyObject**>(reinterpret_cast<char*>(object) + weak_list);
  return proxy->data == made.data && proxy->descr == made.descr.ptr() &&
         std::equal(made.shape.begin(), made.shape.end(), proxy->dimensions,
                    proxy->dimensions + proxy->nd) &&
         std::equal(made.strides.begin(), made.strides.end(), proxy->strides,
                    proxy->strides + proxy->nd) &&
         (proxy->flags & py::detail::npy_api::NPY_ARRAY_WRITEABLE_) != 0 && !weakly_held;
}

bool ExpeditionArrays::only_ours() const {
  // Each array is held by this set and by the dict, under its own key: an entry its
  // holder replaced (by a view of the array, say) may live on elsewhere.
  return held_only_by(dict_, 1) && PyDict_Size(dict_.ptr()) == std::ssize(entries_) &&
         std::all_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
           const Made& made = entry.second;
           return PyDict_GetItem(dict_.ptr(), entry.first.ptr()) == made.array->ptr() &&
                  held_only_by(*made.array, 2) && as_made(made);
         });
}

ExpeditionArrays& PythonExpedition::next_arrays() {
  std::optional<ExpeditionArrays>* chosen = &arrays_[next_];
  if (!*chosen || !(*chosen)->only_ours()) {
    std::optional<ExpeditionArrays>& other = arrays_[1 - next_];
    if (other && other->only_ours()) {
      chosen = &other;
    } else {
      chosen->emplace();
    }
  }
  next_ = chosen == &arrays_[0] ? 1 : 0;
  return **chosen;
}

py::dict PythonExpedition::observation() {
  ExpeditionArrays& arrays = next_arrays();
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

py::tuple PythonPrototype::reset(const py::object& seed, const py::object& options) {
  // The prototype is always the same place: a seed or options change nothing, but are
  // taken so that the call has the shape every environment's reset has.
  (void)seed;
  check_options_type(options);
  const PrototypeArrays arrays;
  py::dict info;
  env_.reset();
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), info);
}

py::tuple PythonPrototype::step(const py::handle& action) {
  const std::size_t index = action_index(action, env::kPrototypeActionCount);
  const PrototypeArrays arrays;
  py::dict info;
  const env::PrototypeStep result = env_.step(index);
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), result.reward, result.terminated, false, info);
}

py::dict PythonPrototype::observation() {
  const PrototypeArrays arrays;
  env_.observe(arrays.rows());
  return arrays.dict();
}

std::string PythonPrototype::reply() { return without_line_feed(env_.reply()); }

py::array_t<std::uint8_t> PythonPrototype::pixels() const {
  return pixels_of(env_.state(), std::nullopt);
}

void PythonPrototype::restore(const py::handle& state) {
  env_.restore(state_of<Game>(state, "PrototypeEnv"));
}

}  // namespace burrowlight::python
