#include "python/errors.hpp"

#include <cerrno>
#include <string>
#include <variant>

namespace burrowlight::python {

namespace {

// The game's sentences may hold a path or a parser's view of the file, bytes that need
// not be UTF-8; they reach Python as the file system's encoding would show them.
py::object text_of(const std::string& bytes) {
  PyObject* text =
      PyUnicode_DecodeFSDefaultAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size()));
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(text);
}

[[noreturn]] void raise_os(int code, const std::string& words, const py::handle& filename) {
  // OSError's constructor picks the subclass for the number, as open() would raise.
  PyObject* exception =
      PyObject_CallFunction(PyExc_OSError, "iOO", code, text_of(words).ptr(), filename.ptr());
  if (exception == nullptr) throw py::error_already_set();
  const py::object owned = py::reinterpret_steal<py::object>(exception);
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception)), exception);
  throw py::error_already_set();
}

[[noreturn]] void raise_value_error(const std::string& words) {
  PyErr_SetObject(PyExc_ValueError, text_of(words).ptr());
  throw py::error_already_set();
}

}  // namespace

void raise_failure(const Error& error, const py::handle& filename) {
  if (const auto* system = std::get_if<error::System>(&error.kind()))
    raise_os(system->code, system->description, filename);
  // Not a failure of the system but a refusal, raised as a file that cannot be locked
  // without waiting is.
  if (std::holds_alternative<error::LockHeld>(error.kind()))
    raise_os(EWOULDBLOCK, error.text(), filename);
  raise_value_error(error.text());
}

}  // namespace burrowlight::python
