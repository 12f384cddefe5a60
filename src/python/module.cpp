// The Python face of the in-process environments: the module `_burrowlight` that the
// package `burrowlight` wraps, with its classes and the figures its spaces are made of.

#include <pybind11/operators.h>
#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/expedition_floors.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"
#include "python/environments.hpp"
#include "python/states.hpp"
#include "sys/panic_report.hpp"

namespace py = pybind11;

namespace {

using namespace burrowlight;

template <class GameAction, std::size_t N>
py::tuple words_of(const std::array<headless::Command<GameAction>, N>& commands) {
  py::list words;
  for (const headless::Command<GameAction>& command : commands) {
    words.append(std::string(command.word));
  }
  return py::tuple(words);
}

// What the package needs to describe its observations without repeating the games'
// figures.
void export_figures(py::module_& module) {
  module.attr("EXPEDITION_ACTIONS") = words_of(headless::kExpeditionAgentCommands);
  module.attr("PROTOTYPE_ACTIONS") = words_of(headless::kPrototypeAgentCommands);
  module.attr("EXPEDITION_MAP_SHAPE") = py::make_tuple(kFloorHeight, kFloorWidth);
  module.attr("FLOOR_COUNT") = kFloorCount;
  module.attr("MAX_CHARGE") = expedition::kMaxCharge;
  module.attr("ACTION_LIMIT") = expedition::kActionLimit;
  const World& location = Game::authored().world;
  module.attr("PROTOTYPE_MAP_SHAPE") = py::make_tuple(location.height, location.width);
  module.attr("PROTOTYPE_CRYSTALS") = kCrystalCount;
}

}  // namespace

PYBIND11_MODULE(_burrowlight, module) {
  using namespace burrowlight::python;
  module.doc() = "The BurrowLight environments, stepped in process.";
  sys::report_panics();
  export_figures(module);

  py::class_<env::ExpeditionState>(module, "ExpeditionState",
                                   "A copy of an expedition environment's whole state.")
      .def(py::self == py::self)
      .def(py::pickle(&expedition_state_values, &expedition_state_of));
  py::class_<Game>(module, "PrototypeState", "A copy of a prototype environment's whole state.")
      .def(py::self == py::self)
      .def(py::pickle(&prototype_state_values, &prototype_state_of));

  py::class_<PythonExpedition>(module, "ExpeditionEnv", py::dynamic_attr())
      .def(py::init<>())
      .def("reset", &PythonExpedition::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonExpedition::step, py::arg("action"))
      .def("_observation", &PythonExpedition::observation)
      .def("_pixels", &PythonExpedition::pixels)
      .def("reply", &PythonExpedition::reply)
      .def("clone", &PythonExpedition::clone)
      .def("restore", &PythonExpedition::restore, py::arg("state"))
      .def("record", &PythonExpedition::record)
      .def("save", &PythonExpedition::save, py::arg("path"))
      .def("_load", &PythonExpedition::load, py::arg("path"));

  py::class_<PythonPrototype>(module, "PrototypeEnv", py::dynamic_attr())
      .def(py::init<>())
      .def("reset", &PythonPrototype::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonPrototype::step, py::arg("action"))
      .def("_observation", &PythonPrototype::observation)
      .def("_pixels", &PythonPrototype::pixels)
      .def("reply", &PythonPrototype::reply)
      .def("clone", &PythonPrototype::clone)
      .def("restore", &PythonPrototype::restore, py::arg("state"));

  py::class_<PythonVector>(module, "VectorExpeditionEnv", py::dynamic_attr())
      .def(py::init<const py::object&, const py::object&>(), py::arg("num_envs"),
           py::arg("max_episode_steps") = py::none())
      .def("reset", &PythonVector::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none())
      .def("step", &PythonVector::step, py::arg("actions"))
      .def("_observations", &PythonVector::observations)
      .def("_frames", &PythonVector::frames)
      .def("_state", &PythonVector::state)
      .def("_restore", &PythonVector::restore, py::arg("state"))
      .def_property_readonly("num_envs", &PythonVector::size)
      .def_property_readonly("max_episode_steps", &PythonVector::max_episode_steps);
}
