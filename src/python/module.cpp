// The Python face of the in-process environments: the classes of the package
// `burrowlight`, shaped like Gymnasium environments, with numpy arrays for observations.
// Every check of what Python hands in happens here, so nothing reaches the games that
// they would have to refuse.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/save.hpp"
#include "env/expedition_env.hpp"
#include "env/prototype_env.hpp"
#include "env/vector_env.hpp"
#include "sys/panic_report.hpp"
#include "sys/random.hpp"

namespace py = pybind11;

namespace burrowlight::python {

namespace {

using env::ExpeditionEnv;
using env::ExpeditionObservation;
using env::ExpeditionState;
using env::PrototypeEnv;
using env::PrototypeObservation;

template <class Value>
py::array_t<Value> array_of(std::initializer_list<py::ssize_t> shape, const Value* values) {
  py::array_t<Value> array(shape);
  std::copy_n(values, array.size(), array.mutable_data());
  return array;
}

template <class Value>
py::array_t<Value> scalar_of(Value value) {
  return array_of<Value>({}, &value);
}

py::dict expedition_observation(const ExpeditionObservation& observation) {
  py::dict result;
  result["map"] = array_of<std::uint8_t>({kFloorHeight, kFloorWidth}, observation.map.data());
  result["position"] = array_of<std::int32_t>({2}, observation.position.data());
  result["floor"] = scalar_of(observation.floor);
  result["charge"] = scalar_of(observation.charge);
  result["score"] = scalar_of(observation.score);
  result["turn"] = scalar_of(observation.turn);
  result["finished"] = scalar_of(observation.finished);
  result["legal"] = array_of<bool>({env::kExpeditionActionCount}, observation.legal.data());
  return result;
}

// An action index from Python: any integer, numpy's included, but not a truth value.
std::size_t action_index(const py::handle& action, std::size_t count) {
  if (!PyIndex_Check(action.ptr()) || py::isinstance<py::bool_>(action)) {
    throw py::type_error("the action must be an integer index, not " +
                         std::string(py::str(py::type::of(action).attr("__name__"))));
  }
  const auto index = py::cast<py::int_>(action.attr("__index__")());
  if (index < py::int_(0) || index >= py::int_(count)) {
    throw py::value_error("the action must be an index from 0 to " + std::to_string(count - 1) +
                          ", not " + std::string(py::repr(index)));
  }
  return py::cast<std::size_t>(index);
}

// A seed from Python: an integer from 0 to 2^64 - 1, or None for one drawn at random.
std::uint64_t seed_of(const py::object& seed) {
  if (seed.is_none()) {
    std::array<std::uint8_t, 8> bytes;
    if (auto filled = sys::fill_random(bytes); !filled) {
      throw std::runtime_error(filled.error().text());
    }
    std::uint64_t value = 0;
    for (std::uint8_t byte : bytes) value = value << 8 | byte;
    return value;
  }
  if (!PyIndex_Check(seed.ptr()) || py::isinstance<py::bool_>(seed)) {
    throw py::type_error("the seed must be an integer or None");
  }
  const auto value = py::cast<py::int_>(seed.attr("__index__")());
  if (value < py::int_(0) || value > py::int_(UINT64_MAX)) {
    throw py::value_error("the seed must be an integer from 0 to 18446744073709551615, not " +
                          std::string(py::repr(value)));
  }
  return py::cast<std::uint64_t>(value);
}

record::Secret secret_of(const py::handle& secret) {
  if (!py::isinstance<py::bytes>(secret) && !py::isinstance<py::bytearray>(secret)) {
    throw py::type_error("options[\"secret\"] must be bytes");
  }
  const std::string bytes =
      py::cast<std::string>(py::bytes(py::reinterpret_borrow<py::object>(secret)));
  if (bytes.size() != record::kSecretSize) {
    throw py::value_error("options[\"secret\"] must be exactly 32 bytes, not " +
                          std::to_string(bytes.size()));
  }
  record::Secret result;
  std::copy(bytes.begin(), bytes.end(), result.begin());
  return result;
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

// A state made by `clone` of the same kind of environment.
template <class State>
const State& state_of(const py::handle& state, std::string_view environment) {
  if (!py::isinstance<State>(state)) {
    throw py::type_error("restore() takes a state from " + std::string(environment) +
                         ".clone(), not " +
                         std::string(py::str(py::type::of(state).attr("__name__"))));
  }
  return state.cast<const State&>();
}

std::string without_line_feed(std::string_view line) {
  return std::string(line.substr(0, line.size() - 1));
}

// An operating-system error as Python's own: OSError (or the subclass that its number
// picks), with the number and the system's words.
[[noreturn]] void raise_os_error(const Error& error) {
  if (error.os_code()) {
    const std::string& text = error.text();
    const std::string words = text.substr(0, text.rfind(" (os error"));
    py::object exception = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "is", *error.os_code(), words.c_str()));
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
  }
  throw std::runtime_error(error.text());
}

// The expedition environment of Python: the game's environment and its observation.
class PythonExpedition {
 public:
  py::tuple reset(const py::object& seed, const py::object& options) {
    std::optional<record::Secret> secret;
    if (!options.is_none()) {
      if (!py::isinstance<py::dict>(options))
        throw py::type_error("options must be a dict or None");
      const py::dict chosen = options;
      for (auto [key, value] : chosen) {
        if (py::str(key).cast<std::string>() != "secret") {
          throw py::value_error("unknown option " + std::string(py::repr(key)) +
                                "; the only option is \"secret\"");
        }
        secret = secret_of(value);
      }
    }
    if (secret) {
      env_.reset(*secret);
    } else {
      env_.reset(seed_of(seed));
    }
    py::dict info;
    info["seed"] = env_.record().seed;
    info["expedition_id"] =
        env_.record().expedition_id() ? py::cast(*env_.record().expedition_id()) : py::none();
    return py::make_tuple(observation(), info);
  }

  py::tuple step(const py::handle& action) {
    const env::ExpeditionStep result = env_.step(action_index(action, env::kExpeditionActionCount));
    py::dict info;
    if (!result.error.empty()) info["error"] = std::string(result.error);
    return py::make_tuple(observation(), result.reward, result.terminated, result.truncated, info);
  }

  py::dict observation() const {
    ExpeditionObservation observed;
    env_.observe(observed);
    return expedition_observation(observed);
  }

  std::string reply() { return without_line_feed(env_.reply()); }
  ExpeditionState clone() const { return env_.state(); }
  void restore(const py::handle& state) {
    env_.restore(state_of<ExpeditionState>(state, "ExpeditionEnv"));
  }
  py::dict record() const { return record_of(env_.record()); }

  void save(const std::string& path) const {
    if (auto written = Save::write(path, env_.record()); !written) raise_os_error(written.error());
  }

  // Continues the save at `path`, which is only read.
  void load(const std::string& path) {
    const save::Inspection inspected = save::inspect_file(path);
    if (!inspected.expedition) throw py::value_error(inspected.expedition.error().text());
    if (auto resumed = env_.resume(*inspected.record); !resumed) {
      throw py::value_error(resumed.error());
    }
  }

 private:
  ExpeditionEnv env_;
};

class PythonPrototype {
 public:
  py::tuple reset(const py::object& seed, const py::object& options) {
    // The prototype is always the same place: a seed or options change nothing, but are
    // taken so that the call has the shape every environment's reset has.
    (void)seed;
    if (!options.is_none() && !py::isinstance<py::dict>(options)) {
      throw py::type_error("options must be a dict or None");
    }
    env_.reset();
    return py::make_tuple(observation(), py::dict());
  }

  py::tuple step(const py::handle& action) {
    const env::PrototypeStep result = env_.step(action_index(action, env::kPrototypeActionCount));
    return py::make_tuple(observation(), result.reward, result.terminated, false, py::dict());
  }

  py::dict observation() {
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

  std::string reply() { return without_line_feed(env_.reply()); }
  Game clone() const { return env_.state(); }
  void restore(const py::handle& state) { env_.restore(state_of<Game>(state, "PrototypeEnv")); }

 private:
  PrototypeEnv env_;
  PrototypeObservation observed_;
};

// A batch of expedition environments and the arrays their steps are written to.
class PythonVector {
 public:
  explicit PythonVector(std::size_t count) : envs_(count) {
    if (count == 0) throw py::value_error("a vector of environments needs at least one");
  }

  py::tuple reset(const py::object& seed, const py::object& options) {
    if (!options.is_none()) throw py::value_error("a vector of environments takes no options");
    Arrays arrays(envs_.size());
    envs_.reset(seed_of(seed), arrays.batch());
    return py::make_tuple(arrays.observation(), py::dict());
  }

  py::tuple step(const py::handle& actions) {
    const std::size_t count = envs_.size();
    const py::array given = py::array::ensure(actions);
    const char kind = given ? given.dtype().kind() : '?';
    if (kind != 'i' && kind != 'u')
      throw py::type_error("actions must be an array of integer indices");
    const auto chosen =
        py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(given);
    if (chosen.ndim() != 1 || static_cast<std::size_t>(chosen.shape(0)) != count) {
      throw py::value_error("actions must have the shape (" + std::to_string(count) + ",)");
    }
    const std::int64_t* first = chosen.data();
    if (std::any_of(first, first + count, [](std::int64_t action) {
          return action < 0 || action >= static_cast<std::int64_t>(env::kExpeditionActionCount);
        })) {
      throw py::value_error("every action must be an index from 0 to 11");
    }
    Arrays arrays(count);
    envs_.step(std::span(first, count), arrays.batch());
    return py::make_tuple(arrays.observation(), arrays.reward, arrays.terminated, arrays.truncated,
                          py::dict());
  }

  std::size_t size() const { return envs_.size(); }

 private:
  struct Arrays {
    explicit Arrays(std::size_t count)
        : map({count, std::size_t{kFloorHeight}, std::size_t{kFloorWidth}}),
          position({count, std::size_t{2}}),
          floor(count),
          charge(count),
          score(count),
          turn(count),
          finished(count),
          legal({count, env::kExpeditionActionCount}),
          reward(count),
          terminated(count),
          truncated(count) {}

    env::ExpeditionBatch batch() {
      return {map.mutable_data(),        position.mutable_data(), floor.mutable_data(),
              charge.mutable_data(),     score.mutable_data(),    turn.mutable_data(),
              finished.mutable_data(),   legal.mutable_data(),    reward.mutable_data(),
              terminated.mutable_data(), truncated.mutable_data()};
    }

    py::dict observation() const {
      py::dict result;
      result["map"] = map;
      result["position"] = position;
      result["floor"] = floor;
      result["charge"] = charge;
      result["score"] = score;
      result["turn"] = turn;
      result["finished"] = finished;
      result["legal"] = legal;
      return result;
    }

    py::array_t<std::uint8_t> map;
    py::array_t<std::int32_t> position, floor, charge, score, turn;
    py::array_t<bool> finished, legal;
    py::array_t<std::int64_t> reward;
    py::array_t<bool> terminated, truncated;
  };

  env::VectorExpeditionEnv envs_;
};

}  // namespace

}  // namespace burrowlight::python

PYBIND11_MODULE(_burrowlight, module) {
  using namespace burrowlight;
  using namespace burrowlight::python;
  module.doc() = "The BurrowLight environments, stepped in process.";
  sys::report_panics();

  py::list expedition_actions;
  for (std::string_view word : expedition::kActionWords)
    expedition_actions.append(std::string(word));
  expedition_actions.append("finish");
  module.attr("EXPEDITION_ACTIONS") = py::tuple(expedition_actions);
  module.attr("PROTOTYPE_ACTIONS") =
      py::make_tuple("north", "south", "west", "east", "interact", "wait");

  py::class_<env::ExpeditionState>(module, "ExpeditionState",
                                   "A copy of an expedition environment's whole state.");
  py::class_<Game>(module, "PrototypeState", "A copy of a prototype environment's whole state.");

  py::class_<PythonExpedition>(module, "ExpeditionEnv", py::dynamic_attr())
      .def(py::init<>())
      .def("reset", &PythonExpedition::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonExpedition::step, py::arg("action"))
      .def("reply", &PythonExpedition::reply)
      .def("clone", &PythonExpedition::clone)
      .def("restore", &PythonExpedition::restore, py::arg("state"))
      .def("record", &PythonExpedition::record)
      .def("save", &PythonExpedition::save, py::arg("path"))
      .def("_load", &PythonExpedition::load, py::arg("path"));

  py::class_<PythonPrototype>(module, "PrototypeEnv", py::dynamic_attr())
      .def(py::init<>())
      .def("reset", &PythonPrototype::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonPrototype::step, py::arg("action"))
      .def("reply", &PythonPrototype::reply)
      .def("clone", &PythonPrototype::clone)
      .def("restore", &PythonPrototype::restore, py::arg("state"));

  py::class_<PythonVector>(module, "VectorExpeditionEnv", py::dynamic_attr())
      .def(py::init<std::size_t>(), py::arg("num_envs"))
      .def("reset", &PythonVector::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonVector::step, py::arg("actions"))
      .def_property_readonly("num_envs", &PythonVector::size);
}
