#pragma once
// The checks of what Python hands in: every value is taken or refused here, so nothing
// reaches the games that they would have to refuse.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/expedition_record.hpp"
#include "python/initialised.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// An action index from Python: any integer, numpy's included, but not a truth value.
// Taken as operator.index takes it, so an `__index__` that returns no int is refused.
std::size_t action_index(const py::handle& action, std::size_t count);

// A seed from Python: an integer from 0 to 2^64 - 1, or None for one drawn at random.
std::uint64_t seed_of(const py::object& seed);

// The options of an expedition's reset: None, or a dict whose only key is "secret", whose
// value is any buffer of 32 bytes (bytes, bytearray, memoryview, ...).
std::optional<record::Secret> secret_option(const py::object& options);

// A path as open() takes one: str, bytes or os.PathLike, encoded as os.fsencode does, so
// that the system sees exactly these bytes; an embedded NUL byte raises ValueError.
std::string path_bytes(const py::handle& path);

// The checks of a value where a count, a truth value, bytes or text is expected (a field
// of a pickled state, an argument): TypeError for a value of another type (a bool is no
// count, a count no bool), ValueError for one out of range or text that is not UTF-8,
// each naming `what`.
std::uint64_t count_of(const py::handle& value, std::string_view what, std::uint64_t least,
                       std::uint64_t most);
bool truth_of(const py::handle& value, std::string_view what);
std::string bytes_of(const py::handle& value, std::string_view what);
std::string utf8_of(const py::handle& value, std::string_view what);

// A tuple of exactly `size` values, or ValueError naming `what`.
py::tuple tuple_of(const py::handle& value, std::size_t size, std::string_view what);

// The name of a value's type, escaped: a class may be named anything.
std::string type_name(const py::handle& value);

// Options are None or a dict, whatever an environment makes of them.
void check_options_type(const py::object& options);

// A state made by `clone` of the same kind of environment.
template <class State>
const State& state_of(const py::handle& state, std::string_view environment) {
  if (const State* const value = initialised_value<State>(state.ptr())) return *value;
  if (!py::isinstance<State>(state)) {
    throw py::type_error("restore() takes a state from " + std::string(environment) +
                         ".clone(), not " + type_name(state));
  }
  return state.cast<const State&>();
}

}  // namespace burrowlight::python
