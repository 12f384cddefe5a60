#pragma once
// How the package's failures reach Python: every error it raises for a file is made here.

#include <pybind11/pybind11.h>

#include "base/error.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The one mapping of a failed load or save, by the error's kind: an operating-system
// error is Python's own OSError (the subclass its number picks) with the number, the
// system's words and `filename`; a save that another process holds is BlockingIOError
// (errno EWOULDBLOCK) with the game's own sentence; any other error is a save or path the
// game refuses, a ValueError with the game's own sentence.
[[noreturn]] void raise_failure(const Error& error, const py::handle& filename);

}  // namespace burrowlight::python
