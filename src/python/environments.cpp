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

using env::ExpeditionObservation;

template <class Value>
py::array_t<Value> array_of(std::initializer_list<py::ssize_t> shape, const Value* values) {
  py::array_t<Value> array(shape);
  std::copy_n(values, array.size(), array.mutable_data());
  return array;
}

// A figure as an array of shape (1,), the shape learners' input layers take, rather than
// a 0-d array.
template <class Value>
py::array_t<Value> scalar_of(Value value) {
  return array_of<Value>({1}, &value);
}

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
  if (const std::optional<record::Secret> secret = secret_option(options)) {
    env_.reset(*secret);
  } else {
    env_.reset(chosen_seed);
  }
  py::dict info;
  info["seed"] = env_.record().seed;
  info["expedition_id"] =
      env_.record().expedition_id() ? py::cast(*env_.record().expedition_id()) : py::none();
  return py::make_tuple(observation(), info);
}

py::tuple PythonExpedition::step(const py::handle& action) {
  const env::ExpeditionStep result = env_.step(action_index(action, env::kExpeditionActionCount));
  py::dict info;
  if (!result.error.empty()) info["error"] = std::string(result.error);
  return py::make_tuple(observation(), result.reward, result.terminated, result.truncated, info);
}

ExpeditionArrays::ExpeditionArrays()
    : map({kFloorHeight, kFloorWidth}),
      position(2),
      floor(1),
      charge(1),
      score(1),
      turn(1),
      finished(1),
      legal(env::kExpeditionActionCount),
      entries_{{{"map", &map},
                {"position", &position},
                {"floor", &floor},
                {"charge", &charge},
                {"score", &score},
                {"turn", &turn},
                {"finished", &finished},
                {"legal", &legal}}} {
  put_expedition_arrays(dict, *this);
}

bool ExpeditionArrays::only_ours() const {
  // Each array is held by this set and by the dict, under its own key: an entry its
  // holder replaced (by a view of the array, say) may live on elsewhere.
  return held_only_by(dict, 1) && PyDict_Size(dict.ptr()) == std::ssize(entries_) &&
         std::all_of(entries_.begin(), entries_.end(), [&](auto& entry) {
           return PyDict_GetItem(dict.ptr(), entry.first.ptr()) == entry.second->ptr() &&
                  held_only_by(*entry.second, 2);
         });
}

const py::dict& ExpeditionArrays::fill(const ExpeditionObservation& observation) {
  std::copy(observation.map.begin(), observation.map.end(), map.mutable_data());
  std::copy(observation.position.begin(), observation.position.end(), position.mutable_data());
  *floor.mutable_data() = observation.floor;
  *charge.mutable_data() = observation.charge;
  *score.mutable_data() = observation.score;
  *turn.mutable_data() = observation.turn;
  *finished.mutable_data() = observation.finished;
  std::copy(observation.legal.begin(), observation.legal.end(), legal.mutable_data());
  return dict;
}

py::dict PythonExpedition::observation() {
  ExpeditionObservation observed;
  env_.observe(observed);
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
  return (*chosen)->fill(observed);
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
  env_.reset();
  return py::make_tuple(observation(), py::dict());
}

py::tuple PythonPrototype::step(const py::handle& action) {
  const env::PrototypeStep result = env_.step(action_index(action, env::kPrototypeActionCount));
  return py::make_tuple(observation(), result.reward, result.terminated, false, py::dict());
}

py::dict PythonPrototype::observation() {
  env_.observe(observed_);
  py::dict result;
  result["map"] =
      array_of<std::uint8_t>({observed_.height, observed_.width}, observed_.map.data());
  result["position"] = array_of<std::int32_t>({2}, observed_.position.data());
  result["turn"] = scalar_of(observed_.turn);
  result["found"] = scalar_of(observed_.found);
  result["awakened"] = scalar_of(observed_.awakened);
  result["legal"] = array_of<bool>({env::kPrototypeActionCount}, observed_.legal.data());
  return result;
}

std::string PythonPrototype::reply() { return without_line_feed(env_.reply()); }

py::array_t<std::uint8_t> PythonPrototype::pixels() const {
  return pixels_of(env_.state(), std::nullopt);
}

void PythonPrototype::restore(const py::handle& state) {
  env_.restore(state_of<Game>(state, "PrototypeEnv"));
}

}  // namespace burrowlight::python
