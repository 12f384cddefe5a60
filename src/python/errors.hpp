#pragma once
// How the package's failures reach Python: every error it raises is made here.

#include <string_view>

#include "core/error.hpp"

namespace burrowlight::python {

// An operating-system error as Python's own: OSError (or the subclass that its number
// picks), with the number and the system's words; any other error as RuntimeError.
[[noreturn]] void raise_os_error(const Error& error);

// A save the game would refuse: ValueError with the game's own sentence.
[[noreturn]] void raise_invalid_save(std::string_view sentence);

}  // namespace burrowlight::python
