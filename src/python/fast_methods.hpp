#pragma once
// Methods called through CPython's own calling conventions instead of pybind11's
// dispatcher, for the calls a search makes millions of times (clone and restore): the
// dispatcher's look over the overloads and its argument conversion cost more than the
// copy of a state. The object is still refused when it was never initialised
// (initialised.hpp), and what the method throws reaches Python as pybind11 would raise it.

#include <pybind11/pybind11.h>

#include <exception>
#include <new>
#include <string>

#include "python/initialised.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The C++ half of `self`; TypeError when it was never initialised.
template <class Class>
Class& native(PyObject* self) {
  pybind11::detail::make_caster<Class> caster;
  if (!caster.load(self, false)) {
    throw py::type_error(std::string("not an object of ") + Py_TYPE(self)->tp_name);
  }
  return pybind11::detail::cast_op<Class&>(caster);
}

// Runs `call`, turning what it throws into a raised Python exception (and nullptr).
template <class Call>
PyObject* translated(const Call& call) noexcept {
  try {
    return call();
  } catch (py::error_already_set& error) {
    error.restore();
  } catch (const py::builtin_exception& error) {
    error.set_error();
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& error) {
    PyErr_SetString(PyExc_RuntimeError, error.what());
  }
  return nullptr;
}

// The one argument of a method called as f(value) or f(name=value); TypeError otherwise.
inline PyObject* only_argument(const char* method, const char* name, PyObject* const* arguments,
                               Py_ssize_t positional, PyObject* keywords) {
  const Py_ssize_t named = keywords == nullptr ? 0 : PyTuple_GET_SIZE(keywords);
  const bool by_name = positional == 0 && named == 1 &&
                       PyUnicode_CompareWithASCIIString(PyTuple_GET_ITEM(keywords, 0), name) == 0;
  if ((positional == 1 && named == 0) || by_name) return arguments[0];
  throw py::type_error(std::string(method) + "() takes exactly one argument, " + name);
}

// Puts `method` on `type`. CPython keeps a pointer to the definition for as long as the
// type lives, so it is a static of the caller's.
inline void add_method(const py::object& type, PyMethodDef& method) {
  const auto descriptor = py::reinterpret_steal<py::object>(
      PyDescr_NewMethod(reinterpret_cast<PyTypeObject*>(type.ptr()), &method));
  if (!descriptor) throw py::error_already_set();
  py::setattr(type, method.ml_name, descriptor);
}

// clone() and restore(state) of `Class`, whose clone() gives its state by value and whose
// restore(handle) checks what it is given.
template <class Class>
void add_clone_and_restore(const py::object& type, const char* clone_doc, const char* restore_doc) {
  static PyMethodDef clone{
      "clone",
      [](PyObject* self, PyObject*) -> PyObject* {
        return translated([self] { return py::cast(native<Class>(self).clone()).release().ptr(); });
      },
      METH_NOARGS, clone_doc};
  static PyMethodDef restore{"restore",
                             reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(
                                 +[](PyObject* self, PyObject* const* arguments,
                                     Py_ssize_t positional, PyObject* keywords) -> PyObject* {
                                   return translated([&] {
                                     PyObject* const state = only_argument(
                                         "restore", "state", arguments, positional, keywords);
                                     native<Class>(self).restore(state);
                                     return Py_NewRef(Py_None);
                                   });
                                 })),
                             METH_FASTCALL | METH_KEYWORDS, restore_doc};
  add_method(type, clone);
  add_method(type, restore);
}

}  // namespace burrowlight::python
