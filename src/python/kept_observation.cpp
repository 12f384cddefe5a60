#include "python/kept_observation.hpp"

#include <algorithm>
#include <string_view>

namespace burrowlight::python {

namespace {

bool held_only_by(const py::handle& object, Py_ssize_t holders) {
  return Py_REFCNT(object.ptr()) == holders;
}

}  // namespace

KeptObservation::KeptObservation(std::optional<std::size_t> count, MapShape map_shape)
    : arrays_(count, map_shape), dict_(arrays_.dict()) {
  for (std::size_t field = 0; field < entries_.size(); ++field) {
    const std::string_view name = env::kExpeditionFields[field].name;
    entries_[field] = {py::str(name.data(), name.size()), made(arrays_.arrays[field])};
  }
}

KeptObservation::Made KeptObservation::made(const py::array& array) {
  const py::detail::PyArray_Proxy* proxy = py::detail::array_proxy(array.ptr());
  return {&array, proxy->data, py::reinterpret_borrow<py::object>(proxy->descr),
          std::vector<py::ssize_t>(proxy->dimensions, proxy->dimensions + proxy->nd),
          std::vector<py::ssize_t>(proxy->strides, proxy->strides + proxy->nd)};
}

bool KeptObservation::as_made(const Made& made) {
  PyObject* const object = made.array->ptr();
  const py::detail::PyArray_Proxy* proxy = py::detail::array_proxy(object);
  // Where the type keeps the list of weak references to an object (as CPython finds it).
  const Py_ssize_t weak_list = Py_TYPE(object)->tp_weaklistoffset;
  const bool weakly_held =
      weak_list > 0 && *reinterpret_cast<PyObject**>(reinterpret_cast<char*>(object) + weak_list);
  return proxy->data == made.data && proxy->descr == made.descr.ptr() &&
         std::equal(made.shape.begin(), made.shape.end(), proxy->dimensions,
                    proxy->dimensions + proxy->nd) &&
         std::equal(made.strides.begin(), made.strides.end(), proxy->strides,
                    proxy->strides + proxy->nd) &&
         (proxy->flags & py::detail::npy_api::NPY_ARRAY_WRITEABLE_) != 0 && !weakly_held;
}

bool KeptObservation::only_ours() const {
  // Each array is held by this set and by the dict, under its own key: an entry its
  // holder replaced (by a view of the array, say) may live on elsewhere.
  return held_only_by(dict_, 1) && PyDict_Size(dict_.ptr()) == std::ssize(entries_) &&
         std::all_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
           const Made& made = entry.second;
           return PyDict_GetItem(dict_.ptr(), entry.first.ptr()) == made.array->ptr() &&
                  held_only_by(*made.array, 2) && as_made(made);
         });
}

void KeptObservations::set_map_shape(MapShape map_shape) {
  if (map_shape == map_shape_) return;
  map_shape_ = map_shape;
  for (std::optional<KeptObservation>& set : sets_) set.reset();
}

KeptObservation& KeptObservations::next() {
  std::optional<KeptObservation>* chosen = &sets_[next_];
  if (!*chosen || !(*chosen)->only_ours()) {
    std::optional<KeptObservation>& other = sets_[1 - next_];
    if (other && other->only_ours()) {
      chosen = &other;
    } else {
      chosen->emplace(count_, map_shape_);
    }
  }
  next_ = chosen == &sets_[0] ? 1 : 0;
  // A dict that held something the collector tracks stays tracked until its next pass,
  // and the collector hands tracked objects to anyone who asks: this one holds only its
  // arrays again (only_ours), which are written next, perhaps without the interpreter
  // lock.
  PyObject* const dict = (*chosen)->dict().ptr();
  if (PyObject_GC_IsTracked(dict)) PyObject_GC_UnTrack(dict);
  return **chosen;
}

}  // namespace burrowlight::python
