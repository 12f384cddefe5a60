#pragma once
// An observation's fields as numpy arrays, made from the game's description of its
// observation: one array per field, of the field's shape for one environment, or with a
// row per environment in front for a batch, and the module's description of the fields,
// from which the package makes its spaces.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "env/observation_layout.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// How an observation's map comes: rows of glyphs, or all of them in one row, the shape
// Stable-Baselines3 asks of every entry that is no image.
enum class MapShape : std::uint8_t { Rows, Flat };

// The field's shape, after `count` rows when there are any. The map is the one field of
// two axes; flat, they are one.
inline std::vector<py::ssize_t> shape_of(const env::Field& field, std::optional<std::size_t> count,
                                         MapShape map_shape) {
  std::vector<py::ssize_t> shape;
  if (count) shape.push_back(static_cast<py::ssize_t>(*count));
  if (map_shape == MapShape::Flat && field.rank == 2) {
    shape.push_back(static_cast<py::ssize_t>(field.shape[0] * field.shape[1]));
    return shape;
  }
  for (std::size_t axis = 0; axis < field.rank; ++axis) {
    shape.push_back(static_cast<py::ssize_t>(field.shape[axis]));
  }
  return shape;
}

template <const auto& kFields>
struct ObservationArrays {
  // One observation's arrays without `count`; a batch's with it.
  explicit ObservationArrays(std::optional<std::size_t> count = std::nullopt,
                             MapShape map_shape = MapShape::Rows) {
    env::for_each_field<kFields>([&]<std::size_t field>() {
      arrays[field] =
          py::array_t<env::ElementOf<kFields, field>>(shape_of(kFields[field], count, map_shape));
    });
  }

  // Where the environments write: straight into the arrays' memory (which is writeable:
  // whoever keeps arrays to write again checks that nothing changed them).
  env::Rows<kFields> rows() const {
    return [&]<std::size_t... field>(std::index_sequence<field...>) {
      return env::Rows<kFields>(reinterpret_cast<env::ElementOf<kFields, field>*>(
          py::detail::array_proxy(arrays[field].ptr())->data)...);
    }
    (std::make_index_sequence<kFields.size()>());
  }

  py::dict dict() const {
    py::dict result;
    for (std::size_t field = 0; field < kFields.size(); ++field) {
      result[py::str(kFields[field].name.data(), kFields[field].name.size())] = arrays[field];
    }
    return result;
  }

  std::array<py::array, kFields.size()> arrays;
};

// The fields in order, each as (name, dtype, shape, low, high).
template <const auto& kFields>
py::tuple describe() {
  py::tuple result(kFields.size());
  env::for_each_field<kFields>([&]<std::size_t field>() {
    const env::Field& described = kFields[field];
    py::tuple shape(described.rank);
    for (std::size_t axis = 0; axis < described.rank; ++axis) shape[axis] = described.shape[axis];
    result[field] = py::make_tuple(py::str(described.name.data(), described.name.size()),
                                   py::dtype::of<env::ElementOf<kFields, field>>(), shape,
                                   described.low, described.high);
  });
  return result;
}

}  // namespace burrowlight::python
