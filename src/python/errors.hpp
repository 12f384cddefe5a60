#pragma once
// How the package's failures reach Python: every error it raises for a file is made here.

#include <pybind11/pybind11.h>

#include "core/error.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The one mapping of a failed load or save: an operating-system error is Python's own
// OSError (the subclass its number picks) with the number, the system's words and
// `filename`; any other error is a save or path the game refuses, a ValueError with the
// game's own sentence.
[[noreturn]] void raise_failure(const Error& error, const py::handle& filename);

// A save that another process holds: not a failure of the system but a refusal, raised as
// BlockingIOError (errno EWOULDBLOCK), an OSError, with the game's own sentence.
[[noreturn]] void raise_lock_refused(const Error& error, const py::handle& filename);

}  // namespace burrowlight::python
