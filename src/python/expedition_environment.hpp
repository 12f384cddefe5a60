#pragma once
// The expedition's single environment as Python sees it: it takes its arguments through
// the checks of arguments.hpp and writes its observations into numpy arrays it keeps
// (kept_observation.hpp).

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

#include "env/expedition_env.hpp"
#include "python/initialised.hpp"
#include "python/kept_observation.hpp"

namespace burrowlight::python {

namespace py = pybind11;

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

  bool flat_map() const { return observations_.map_shape() == MapShape::Flat; }
  void set_flat_map(bool flat) {
    observations_.set_map_shape(flat ? MapShape::Flat : MapShape::Rows);
  }

 private:
  env::ExpeditionEnv env_;
  KeptObservations observations_;
  // What render() reads, always as rows, whatever shape the steps give.
  KeptObservations shown_;
};

// The class ExpeditionEnv of `module`.
void bind_expedition(py::module_& module);

}  // namespace burrowlight::python
