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
#include <typeinfo>
#include <utility>

#include "python/initialised.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// The C++ value of `object`: TypeError when it is of another class or was never
// initialised, through pybind11's own checked cast, which says why.
template <class Class>
Class& native(PyObject* object) {
  if (Class* const value = initialised_value<Class>(object)) return *value;
  return py::handle(object).cast<Class&>();
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
struct CloneAndRestore {
  using State = decltype(std::declval<const Class&>().clone());

  static PyObject* clone(PyObject* self, PyObject* /*unused*/) {
    return translated([self] {
      State state = native<Class>(self).clone();
      return pybind11::detail::type_caster_generic::cast(&state, py::return_value_policy::move, {},
                                                         state_type, nullptr, &moved)
          .ptr();
    });
  }

  static PyObject* restore(PyObject* self, PyObject* const* arguments, Py_ssize_t positional,
                           PyObject* keywords) {
    return translated([&] {
      PyObject* const state = only_argument("restore", "state", arguments, positional, keywords);
      native<Class>(self).restore(state);
      return Py_NewRef(Py_None);
    });
  }

  static void* moved(const void* state) {
    return new State(std::move(*static_cast<State*>(const_cast<void*>(state))));
  }

  // pybind11's record of the state's class, looked up once when the class is bound: the
  // look-up by C++ type name that a cast makes costs more than the copy of a state. Like
  // the method tables, which CPython points at for as long as the class lives, it is set
  // once and never changed.
  static inline const pybind11::detail::type_info* state_type = nullptr;
  static inline PyMethodDef clone_method{"clone", &clone, METH_NOARGS, nullptr};
  static inline PyMethodDef restore_method{
      "restore", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&restore)),
      METH_FASTCALL | METH_KEYWORDS, nullptr};
};

// Puts clone() and restore(state) on `type`, the class of `Class`; the state's class is
// bound before.
template <class Class>
void add_clone_and_restore(const py::object& type, const char* clone_doc, const char* restore_doc) {
  using Methods = CloneAndRestore<Class>;
  Methods::state_type =
      pybind11::detail::get_type_info(typeid(typename Methods::State), /*throw_if_missing=*/true);
  Methods::clone_method.ml_doc = clone_doc;
  Methods::restore_method.ml_doc = restore_doc;
  add_method(type, Methods::clone_method);
  add_method(type, Methods::restore_method);
}

}  // namespace burrowlight::python
