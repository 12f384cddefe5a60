#include "python/errors.hpp"

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>

namespace py = pybind11;

namespace burrowlight::python {

void raise_os_error(const Error& error) {
  if (error.os_code()) {
    const std::string& text = error.text();
    const std::string words = text.substr(0, text.rfind(" (os error"));
    py::object exception = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "is", *error.os_code(), words.c_str()));
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
  }
  throw std::runtime_error(error.text());
}

void raise_invalid_save(std::string_view sentence) { throw py::value_error(std::string(sentence)); }

}  // namespace burrowlight::python
