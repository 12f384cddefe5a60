#include "python/prototype_environment.hpp"

#include <optional>

#include "python/arguments.hpp"
#include "python/environment_common.hpp"
#include "python/fast_methods.hpp"
#include "python/observation_arrays.hpp"
#include "python/pixels.hpp"
#include "python/states.hpp"

namespace burrowlight::python {

namespace {

using PrototypeArrays = ObservationArrays<env::kPrototypeFields>;

}  // namespace

py::tuple PythonPrototype::reset(const py::object& seed, const py::object& options) {
  // The prototype is always the same place: a seed or options change nothing, but are
  // taken so that the call has the shape every environment's reset has.
  (void)seed;
  check_options_type(options);
  const PrototypeArrays arrays(std::nullopt, map_shape_);
  py::dict info;
  env_.reset();
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), info);
}

py::tuple PythonPrototype::step(const py::handle& action) {
  const std::size_t index = action_index(action, env::kPrototypeActionCount);
  const PrototypeArrays arrays(std::nullopt, map_shape_);
  py::dict info;
  const env::PrototypeStep result = env_.step(index);
  env_.observe(arrays.rows());
  return py::make_tuple(arrays.dict(), result.reward, result.terminated, false, info);
}

py::dict PythonPrototype::observation() {
  const PrototypeArrays arrays;
  env_.observe(arrays.rows());
  return arrays.dict();
}

std::string PythonPrototype::reply() { return without_line_feed(env_.reply()); }

py::array_t<std::uint8_t> PythonPrototype::pixels() const {
  return pixels_of(render::prototype_scene(env_.state()),
                   render::prototype_presentation(env_.state()));
}

void PythonPrototype::restore(const py::handle& state) {
  env_.restore(state_of<Game>(state, "PrototypeEnv"));
}

void bind_prototype(py::module_& module) {
  using Class = PythonPrototype;
  const auto type =
      py::class_<Class>(module, "PrototypeEnv", py::dynamic_attr())
          .def(py::init<>())
          .def("reset", &Class::reset, py::kw_only(), py::arg("seed") = py::none(),
               py::arg("options") = py::none(),
               "Starts the prototype anew and returns (observation, info); every start is "
               "the same place.")
          .def("step", &Class::step, py::arg("action"),
               "Plays the action (an index into PROTOTYPE_ACTIONS) and returns (observation, "
               "reward, terminated, truncated, info).")
          .def("_observation", &Class::observation)
          .def_property("_flat_map", &Class::flat_map, &Class::set_flat_map,
                        "The map as one row of glyphs (True) or as rows (False) in the "
                        "observations of reset and step from now on.")
          .def("_pixels", &Class::pixels)
          .def("reply", &Class::reply, kReplyDoc);
  add_clone_and_restore<Class>(type, kCloneDoc, kRestoreDoc);
}

}  // namespace burrowlight::python
