#pragma once
// The states of the environments as picklable Python values and back: an expedition's
// state is its record (the save's own JSON) and the sentence that refused its last step, a
// prototype's what play changes of the authored location. Both come back equal to the
// state they were made of, so that a state restored in another process answers the same.

#include <pybind11/pybind11.h>

#include "core/game.hpp"
#include "env/expedition_env.hpp"

namespace burrowlight::python {

namespace py = pybind11;

py::tuple expedition_state_values(const env::ExpeditionState& state);
// ValueError when the values are not those of an expedition state.
env::ExpeditionState expedition_state_of(const py::tuple& values);

py::tuple prototype_state_values(const Game& game);
// ValueError when the values are not those of a prototype state.
Game prototype_state_of(const py::tuple& values);

}  // namespace burrowlight::python
