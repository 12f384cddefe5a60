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
#include "python/observation_arrays.hpp"
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

py::tuple map_shape(const env::Field& map) { return py::make_tuple(map.shape[0], map.shape[1]); }

// What the package needs to describe its observations without repeating the games'
// figures.
void export_figures(py::module_& module) {
  module.attr("EXPEDITION_ACTIONS") = words_of(headless::kExpeditionAgentCommands);
  module.attr("PROTOTYPE_ACTIONS") = words_of(headless::kPrototypeAgentCommands);
  module.attr("EXPEDITION_OBSERVATION") = python::describe<env::kExpeditionFields>();
  module.attr("PROTOTYPE_OBSERVATION") = python::describe<env::kPrototypeFields>();
  module.attr("EXPEDITION_MAP_SHAPE") =
      map_shape(env::kExpeditionFields[env::ExpeditionField::Map]);
  module.attr("FLOOR_COUNT") = kFloorCount;
  module.attr("MAX_CHARGE") = expedition::kMaxCharge;
  module.attr("ACTION_LIMIT") = expedition::kActionLimit;
  module.attr("PROTOTYPE_MAP_SHAPE") = map_shape(env::kPrototypeFields[env::PrototypeField::Map]);
  module.attr("PROTOTYPE_CRYSTALS") = kCrystalCount;
}

// What `help()` shows for the methods that both games' environments have.
constexpr const char* kReply =
    "The line, without its line feed, that the headless mode would have written for the "
    "last reset or step.";
constexpr const char* kClone =
    "A copy of the whole state, for search: restore() puts it back. It pickles.";
constexpr const char* kRestore =
    "Puts back a state that clone() made, of an environment of the same game.";
constexpr const char* kExpeditionReset =
    "Starts an episode and returns (observation, info): the practice expedition of `seed` "
    "(a random one when None), or with options={'secret': 32 bytes} a normal expedition "
    "of that secret. info holds 'seed' and 'expedition_id' (None for practice).";
constexpr const char* kExpeditionStep =
    "Plays the action (an index into EXPEDITION_ACTIONS) and returns (observation, reward, "
    "terminated, truncated, info); a refused action puts its sentence in info['error'].";

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
           py::arg("options") = py::none(), kExpeditionReset)
      .def("step", &PythonExpedition::step, py::arg("action"), kExpeditionStep)
      .def("_observation", &PythonExpedition::observation)
      .def("_pixels", &PythonExpedition::pixels)
      .def("reply", &PythonExpedition::reply, kReply)
      .def("clone", &PythonExpedition::clone, kClone)
      .def("restore", &PythonExpedition::restore, py::arg("state"), kRestore)
      .def("record", &PythonExpedition::record,
           "The run as the game saves it: a dict of the save file's fields.")
      .def("save", &PythonExpedition::save, py::arg("path"),
           "Writes the run to `path` as the game's save file, which the game and the tools "
           "open; raises OSError when the file cannot be written.")
      .def("_load", &PythonExpedition::load, py::arg("path"));

  py::class_<PythonPrototype>(module, "PrototypeEnv", py::dynamic_attr())
      .def(py::init<>())
      .def("reset", &PythonPrototype::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none(),
           "Starts the prototype anew and returns (observation, info); every start is "
           "the same place.")
      .def("step", &PythonPrototype::step, py::arg("action"),
           "Plays the action (an index into PROTOTYPE_ACTIONS) and returns (observation, "
           "reward, terminated, truncated, info).")
      .def("_observation", &PythonPrototype::observation)
      .def("_pixels", &PythonPrototype::pixels)
      .def("reply", &PythonPrototype::reply, kReply)
      .def("clone", &PythonPrototype::clone, kClone)
      .def("restore", &PythonPrototype::restore, py::arg("state"), kRestore);

  py::class_<PythonVector>(module, "VectorExpeditionEnv", py::dynamic_attr())
      .def(py::init<const py::object&, const py::object&>(), py::arg("num_envs"),
           py::arg("max_episode_steps") = py::none())
      .def("reset", &PythonVector::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none(),
           "Starts every environment on a new episode and returns (observations, infos); "
           "see the class for the seeds.")
      .def("step", &PythonVector::step, py::arg("actions"),
           "Steps every environment with its action (one index into EXPEDITION_ACTIONS "
           "each) and returns (observations, rewards, terminations, truncations, infos).")
      .def("_observations", &PythonVector::observations)
      .def("_frames", &PythonVector::frames)
      .def("_state", &PythonVector::state)
      .def("_restore", &PythonVector::restore, py::arg("state"))
      .def_property_readonly("num_envs", &PythonVector::size, "The number of environments.")
      .def_property_readonly("max_episode_steps", &PythonVector::max_episode_steps,
                             "The step limit of an episode, or None.");
}
