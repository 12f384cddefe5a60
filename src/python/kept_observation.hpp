#pragma once
// The arrays of expedition observations, one environment's or a batch's, that are written
// again and again rather than made anew for every step, as long as nobody else can see
// them: a step then allocates nothing, and touches no fresh memory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "env/expedition_env.hpp"
#include "python/observation_arrays.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The arrays of one expedition observation, in a dict that holds them. A set is written
// again only while nobody but its environment holds the dict or any of the arrays (a view
// holds its base), so an observation a caller keeps never changes, and only while each
// array is still as it was made (its memory, shape, strides, type, writeable flag) with no
// weak reference to it, so that what a caller did to one never reaches a later step.
class KeptObservation {
 public:
  // One observation's arrays without `count`; a batch's with it.
  KeptObservation(std::optional<std::size_t> count, MapShape map_shape);
  // Its entries point at its own members.
  KeptObservation(const KeptObservation&) = delete;
  KeptObservation& operator=(const KeptObservation&) = delete;

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

// Two sets, so that a loop which keeps only the last observation writes into the one
// before it and allocates nothing; any other use gets fresh arrays.
class KeptObservations {
 public:
  explicit KeptObservations(std::optional<std::size_t> count = std::nullopt) : count_(count) {}

  MapShape map_shape() const { return map_shape_; }
  // Observations from now on come in this shape; the sets of the other are let go.
  void set_map_shape(MapShape map_shape);

  // The set the next observation is written to, to be chosen (or made) before anything
  // of the environment changes, so that a failure leaves it as it was. Whoever writes it
  // without the interpreter lock holds its dict meanwhile, so that no other call chooses
  // it too.
  KeptObservation& next();

 private:
  std::optional<std::size_t> count_;
  MapShape map_shape_ = MapShape::Rows;
  std::array<std::optional<KeptObservation>, 2> sets_;
  std::size_t next_ = 0;
};

}  // namespace burrowlight::python
