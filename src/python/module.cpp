// The Python face of the in-process environments: the module `_burrowlight` that the
// package `burrowlight` wraps, with its classes and the figures its spaces are made of.

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "core/expedition_floors.hpp"
#include "core/game.hpp"
#include "headless/commands.hpp"
#include "python/expedition_environment.hpp"
#include "python/observation_arrays.hpp"
#include "python/prototype_environment.hpp"
#include "python/states.hpp"
#include "python/vector_environment.hpp"
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

}  // namespace

PYBIND11_MODULE(_burrowlight, module) {
  using namespace burrowlight::python;
  module.doc() = "The BurrowLight environments, stepped in process.";
  sys::report_panics();
  export_figures(module);
  bind_states(module);
  bind_expedition(module);
  bind_prototype(module);
  bind_vector(module);
}
