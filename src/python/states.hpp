#pragma once
// The states of the environments as picklable Python values and back: an expedition's
// state is its record (the save's own JSON) and the sentence that refused its last step, a
// prototype's what play changes of the authored location. Both come back equal to the
// state they were made of, so that a state restored in another process answers the same.
// Values from Python are checked completely before a state is made of them: every code,
// length, text and rule that the games rely on, so a hostile pickle is refused where it
// is unpickled and never reaches the rules.

#include <pybind11/pybind11.h>

#include "core/game.hpp"
#include "env/expedition_env.hpp"
#include "python/initialised.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// A tuple, given as an object: __setstate__ takes any object, so that it can say why it
// refuses one that is no tuple.
py::object expedition_state_values(const env::ExpeditionState& state);
// TypeError when the values are of the wrong types, ValueError naming what is wrong when
// they are not those of an expedition state.
env::ExpeditionState expedition_state_of(const py::object& values);

py::object prototype_state_values(const Game& game);
// TypeError or ValueError, as expedition_state_of.
Game prototype_state_of(const py::object& values);

// The classes ExpeditionState and PrototypeState of `module`.
void bind_states(py::module_& module);

}  // namespace burrowlight::python
