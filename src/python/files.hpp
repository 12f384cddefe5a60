#pragma once
// The package's file operations on saves: writing one as the game does, under the save's
// lock, and continuing one that the game would open.

#include <pybind11/pybind11.h>

#include "env/expedition_env.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// Replaces the save at `path` (a path as open() takes one) with the environment's record,
// as Save::replace does, without the interpreter lock while the files are touched. Raises
// as errors.hpp maps failures, BlockingIOError for a save that a running game holds.
void save_expedition(const env::ExpeditionEnv& environment, const py::object& path);

// Makes `environment` continue the save at `path`, which is only read; raises OSError
// when it cannot be read and ValueError for a save the game would refuse.
void load_expedition(env::ExpeditionEnv& environment, const py::object& path);

}  // namespace burrowlight::python
