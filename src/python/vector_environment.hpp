#pragma once
// A batch of expedition environments as Python sees it: every step's observations and
// results in numpy arrays with a row per environment, its infos in Gymnasium's layout.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>
#include <mutex>

#include "env/vector_env.hpp"
#include "python/initialised.hpp"
#include "python/kept_observation.hpp"

namespace burrowlight::python {

namespace py = pybind11;

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

  bool flat_map() const { return observations_.map_shape() == MapShape::Flat; }
  void set_flat_map(bool flat) {
    observations_.set_map_shape(flat ? MapShape::Flat : MapShape::Rows);
  }

 private:
  env::VectorExpeditionEnv envs_;
  KeptObservations observations_;
  // The batch is stepped without the interpreter lock; this keeps two threads from
  // stepping it at once. Held by pointer so that the environment stays movable.
  std::unique_ptr<std::mutex> stepping_ = std::make_unique<std::mutex>();
};

// The class VectorExpeditionEnv of `module`.
void bind_vector(py::module_& module);

}  // namespace burrowlight::python
