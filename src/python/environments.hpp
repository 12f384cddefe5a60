#pragma once
// The environments as Python sees them: each wraps the game's environment, takes its
// arguments through the checks of arguments.hpp and gives its observations as numpy
// arrays.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/prototype_env.hpp"
#include "env/vector_env.hpp"
#include "python/initialised.hpp"
#include "python/observation_arrays.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The arrays of one expedition observation, in a dict that holds them. A set is written
// again only while nobody but its environment holds the dict or any of the arrays (a view
// holds its base), so an observation a caller keeps never changes, and only while each
// array is still as it was made (its memory, shape, strides, type, writeable flag) with no
// weak reference to it, so that what a caller did to one never reaches a later step.
struct ExpeditionArrays {
  ExpeditionArrays();
  // Its entries point at its own members.
  ExpeditionArrays(const ExpeditionArrays&) = delete;
  ExpeditionArrays& operator=(const ExpeditionArrays&) = delete;

  bool only_ours() const;
  // Where the environment writes the observation.
  env::ExpeditionRows rows() const { return arrays_.rows(); }
  const py::dict& dict() const { return dict_; }

 private:
  // An array as it was made, to tell whether anything about it changed since.
  struct Made {
    const py::array* array;
    const void* data;
    // Held, so that its address is never that of a type made later.
    py::object descr;
    std::vector<py::ssize_t> shape, strides;
  };
  static Made made(const py::array& array);
  static bool as_made(const Made& made);

  ObservationArrays<env::kExpeditionFields> arrays_;
  py::dict dict_;
  // Each array with its key, made once: a step looks every entry up.
  std::array<std::pair<py::str, Made>, env::kExpeditionFields.size()> entries_;
};

class PythonExpedition {
 public:
  py::tuple reset(const py::object& seed, const py::object& options);
  py::tuple step(const py::handle& action);
  py::dict observation();

  std::string reply();
  env::ExpeditionState clone() const { return env_.state(); }
  void restore(const py::handle& state);
  py::dict record() const;
  py::array_t<std::uint8_t> pixels() const;

  void save(const py::object& path) const;
  // Continues the save at `path`, which is only read.
  void load(const py::object& path);

 private:
  env::ExpeditionEnv env_;
  // The set the next observation is written to, chosen (or made) before anything of the
  // environment changes, so that a failure leaves it as it was.
  ExpeditionArrays& next_arrays();

  // Two sets, so that a loop which keeps only the last observation writes into the one
  // before it and allocates nothing; any other use gets fresh arrays.
  std::array<std::optional<ExpeditionArrays>, 2> arrays_;
  std::size_t next_ = 0;
};

// Fresh for every observation, which a caller may keep.
using PrototypeArrays = ObservationArrays<env::kPrototypeFields>;

class PythonPrototype {
 public:
  py::tuple reset(const py::object& seed, const py::object& options);
  py::tuple step(const py::handle& action);
  py::dict observation();

  std::string reply();
  py::array_t<std::uint8_t> pixels() const;
  Game clone() const { return env_.state(); }
  void restore(const py::handle& state);

 private:
  env::PrototypeEnv env_;
};

// A batch of expedition environments and the arrays their steps are written to.
class PythonVector {
 public:
  // `count` and `max_episode_steps` (None for no limit) are integers of at least 1.
  PythonVector(const py::object& count, const py::object& max_episode_steps);

  py::tuple reset(const py::object& seed, const py::object& options);
  py::tuple step(const py::handle& actions);
  std::size_t size() const { return envs_.size(); }
  py::object max_episode_steps() const {
    return envs_.step_limit() == 0 ? py::none() : py::cast(envs_.step_limit());
  }

  // What each environment shows now, for rendering: its observation of the single shape,
  // and a frame of the game's renderer.
  py::tuple observations() const;
  py::tuple frames() const;

  // The whole state as picklable values, and back.
  py::tuple state() const;
  // ValueError naming what is wrong unless `state` is what state() gives for a vector of
  // this size and step limit; nothing changes then.
  void restore(const py::object& state);

 private:
  env::VectorExpeditionEnv envs_;
  // The batch is stepped without the interpreter lock; this keeps two threads from
  // stepping it at once. Held by pointer so that the environment stays movable.
  std::unique_ptr<std::mutex> stepping_ = std::make_unique<std::mutex>();
};

}  // namespace burrowlight::python
