#pragma once
// The package's native classes refuse any use of an object that was never initialised.
// `Class.__new__(Class)`, or a pickle cut off before its `__setstate__`, makes an object
// whose C++ value was never constructed; pybind11 would hand a method raw memory in its
// place. These casters, used for every argument of the classes (`self` included), raise
// TypeError instead, before the memory is read. They must be seen before any use of the
// classes: the headers that declare what takes or gives them include this one.

#include <pybind11/pybind11.h>

#include <string>
#include <typeinfo>

#include "core/game.hpp"
#include "env/expedition_env.hpp"

namespace burrowlight::python {

class PythonExpedition;
class PythonPrototype;
class PythonVector;

template <class Class>
class InitialisedCaster : public pybind11::detail::type_caster_base<Class> {
 public:
  bool load(pybind11::handle source, bool convert) {
    return this->template load_impl<InitialisedCaster>(source, convert);
  }

  // What load_impl calls with the C++ half of a Python object it accepts.
  void load_value(pybind11::detail::value_and_holder&& held) {
    if (!held.holder_constructed()) {
      throw pybind11::type_error(std::string(this->typeinfo->type->tp_name) +
                                 " object was never initialised: neither __init__ nor "
                                 "__setstate__ ran");
    }
    pybind11::detail::type_caster_base<Class>::load_value(std::move(held));
  }
};

// The C++ value of `object` when it is an initialised pybind11 object of `Class` in the
// common layout (one C++ value), found through pybind11's table by Python type, a pointer
// look-up; nullptr otherwise. pybind11's own casts look the class up by its C++ type name,
// which costs more than the copy of a state.
template <class Class>
Class* initialised_value(PyObject* object) {
  PyTypeObject* const type = Py_TYPE(object);
  if (Py_TYPE(type) != pybind11::detail::get_internals().default_metaclass) return nullptr;
  const pybind11::detail::type_info* const info = pybind11::detail::get_type_info(type);
  if (info == nullptr || *info->cpptype != typeid(Class)) return nullptr;
  const auto* const instance = reinterpret_cast<pybind11::detail::instance*>(object);
  if (!instance->simple_layout || !instance->simple_holder_constructed) return nullptr;
  return static_cast<Class*>(instance->simple_value_holder[0]);
}

}  // namespace burrowlight::python

namespace pybind11::detail {

template <>
class type_caster<burrowlight::python::PythonExpedition>
    : public burrowlight::python::InitialisedCaster<burrowlight::python::PythonExpedition> {};
template <>
class type_caster<burrowlight::python::PythonPrototype>
    : public burrowlight::python::InitialisedCaster<burrowlight::python::PythonPrototype> {};
template <>
class type_caster<burrowlight::python::PythonVector>
    : public burrowlight::python::InitialisedCaster<burrowlight::python::PythonVector> {};
template <>
class type_caster<burrowlight::env::ExpeditionState>
    : public burrowlight::python::InitialisedCaster<burrowlight::env::ExpeditionState> {};
template <>
class type_caster<burrowlight::Game>
    : public burrowlight::python::InitialisedCaster<burrowlight::Game> {};

}  // namespace pybind11::detail
