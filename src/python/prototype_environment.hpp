#pragma once
// The prototype's single environment as Python sees it: fresh arrays for every
// observation, which a caller may keep.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

#include "core/game.hpp"
#include "env/prototype_env.hpp"
#include "python/initialised.hpp"
#include "python/observation_arrays.hpp"

namespace burrowlight::python {

namespace py = pybind11;

class PythonPrototype {
 public:
  py::tuple reset(const py::object& seed, const py::object& options);
  py::tuple step(const py::handle& action);
  py::dict observation();

  std::string reply();
  py::array_t<std::uint8_t> pixels() const;
  Game clone() const { return env_.state(); }
  void restore(const py::handle& state);

  bool flat_map() const { return map_shape_ == MapShape::Flat; }
  void set_flat_map(bool flat) { map_shape_ = flat ? MapShape::Flat : MapShape::Rows; }

 private:
  env::PrototypeEnv env_;
  MapShape map_shape_ = MapShape::Rows;
};

// The class PrototypeEnv of `module`.
void bind_prototype(py::module_& module);

}  // namespace burrowlight::python
