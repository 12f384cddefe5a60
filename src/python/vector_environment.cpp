#include "python/vector_environment.hpp"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "python/arguments.hpp"
#include "python/kept_observation.hpp"
#include "python/observation_arrays.hpp"
#include "python/pixels.hpp"
#include "python/states.hpp"
#include "python/vector_values.hpp"

namespace burrowlight::python {

namespace {

// The results of one batch step beside its observation, made anew for every step so that
// a caller may keep them. The rewards are floats, as Gymnasium's vectors give them, so
// that a learner's arithmetic on them in place works; the game's own (whole) scores are
// written beside.
struct Results {
  explicit Results(std::size_t count)
      : gained(count), reward(count), terminated(count), truncated(count) {}

  env::ExpeditionBatch batch(const env::ExpeditionRows& observation) {
    return {observation, gained.data(), terminated.mutable_data(), truncated.mutable_data()};
  }

  // Exact below 2^53, which no score comes near.
  const py::array_t<double>& rewards() {
    std::transform(gained.begin(), gained.end(), reward.mutable_data(),
                   [](std::int64_t points) { return static_cast<double>(points); });
    return reward;
  }

  std::vector<std::int64_t> gained;
  py::array_t<double> reward;
  py::array_t<bool> terminated, truncated;
};

}  // namespace

PythonVector::PythonVector(const py::object& count, const py::object& max_episode_steps)
    : envs_(count_of(count, "num_envs", 1, kMostEnvironments),
            max_episode_steps.is_none()
                ? 0
                : count_of(max_episode_steps, "max_episode_steps", 1, UINT64_MAX)),
      observations_(envs_.size()) {}

py::tuple PythonVector::reset(const py::object& seed, const py::object& options) {
  if (!options.is_none()) throw py::value_error("a vector of environments takes no options");
  const std::vector<std::uint64_t> firsts = first_seeds(seed, envs_.size());
  KeptObservation& kept = observations_.next();
  const py::dict observation = kept.dict();
  Results results(envs_.size());
  const env::ExpeditionBatch batch = results.batch(kept.rows());
  {
    const py::gil_scoped_release released;
    const std::lock_guard<std::mutex> stepping(*stepping_);
    envs_.reset(firsts, batch);
  }
  py::dict info;
  put_starts(firsts, std::vector<bool>(envs_.size(), true), info);
  return py::make_tuple(observation, info);
}

py::tuple PythonVector::step(const py::handle& actions) {
  const std::size_t count = envs_.size();
  const std::vector<std::int64_t> taken = actions_of(actions, count);
  std::vector<bool> restarted(count);
  std::vector<std::uint64_t> seeds(count);
  std::vector<std::optional<expedition::Refusal>> errors(count);
  KeptObservation& kept = observations_.next();
  // Held while the batch is written without the interpreter lock, so that no other call
  // chooses the same arrays meanwhile; nothing else reaches them (neither they nor their
  // dict are among the objects the garbage collector tracks).
  const py::dict observation = kept.dict();
  Results results(count);
  const env::ExpeditionBatch batch = results.batch(kept.rows());
  {
    const py::gil_scoped_release released;
    const std::lock_guard<std::mutex> stepping(*stepping_);
    for (std::size_t index = 0; index < count; ++index) restarted[index] = envs_.ended(index);
    envs_.step(taken, batch, errors);
    for (std::size_t index = 0; index < count; ++index) seeds[index] = envs_.seed(index);
  }
  py::dict info;
  if (std::find(restarted.begin(), restarted.end(), true) != restarted.end()) {
    put_starts(seeds, restarted, info);
  }
  put_errors(errors, info);
  return py::make_tuple(observation, results.rewards(), results.terminated, results.truncated,
                        info);
}

py::tuple PythonVector::observations() const {
  const std::vector<ObservationArrays<env::kExpeditionFields>> arrays(envs_.size());
  {
    const std::lock_guard<std::mutex> stepping(*stepping_);
    for (std::size_t index = 0; index < envs_.size(); ++index) {
      envs_.member(index).observe(arrays[index].rows());
    }
  }
  py::tuple result(arrays.size());
  for (std::size_t index = 0; index < arrays.size(); ++index) result[index] = arrays[index].dict();
  return result;
}

py::tuple PythonVector::frames() const {
  py::tuple result(envs_.size());
  const std::lock_guard<std::mutex> stepping(*stepping_);
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    result[index] = expedition_pixels(envs_.member(index));
  }
  return result;
}

py::tuple PythonVector::state() const {
  std::vector<env::VectorMember> held;
  {
    const std::lock_guard<std::mutex> stepping(*stepping_);
    held = envs_.members();
  }
  py::list members;
  for (const env::VectorMember& member : held) {
    members.append(py::make_tuple(expedition_state_values(member.state), member.first,
                                  member.episode, member.steps, member.ended));
  }
  return py::make_tuple(envs_.size(), envs_.step_limit(), members);
}

void PythonVector::restore(const py::object& state) {
  const py::tuple values = tuple_of(state, 3, "VectorExpeditionEnv state");
  if (count_of(values[0], "VectorExpeditionEnv state num_envs", 1, kMostEnvironments) !=
          envs_.size() ||
      count_of(values[1], "VectorExpeditionEnv state max_episode_steps", 0, UINT64_MAX) !=
          envs_.step_limit()) {
    throw py::value_error("not the state of a vector of " + std::to_string(envs_.size()) +
                          " environments with this max_episode_steps");
  }
  if (!PyList_Check(values[2].ptr()))
    throw py::type_error("VectorExpeditionEnv state members must be a list, not " +
                         type_name(values[2]));
  const auto members = py::reinterpret_borrow<py::list>(values[2]);
  if (members.size() != envs_.size()) {
    throw py::value_error("VectorExpeditionEnv state members must be " +
                          std::to_string(envs_.size()) + ", not " + std::to_string(members.size()));
  }
  std::vector<env::VectorMember> restored;
  for (const py::handle member : members) {
    restored.push_back(member_of(member, envs_.size(), envs_.step_limit()));
  }
  const std::lock_guard<std::mutex> stepping(*stepping_);
  envs_.restore(restored);
}

void bind_vector(py::module_& module) {
  using Class = PythonVector;
  py::class_<Class>(module, "VectorExpeditionEnv", py::dynamic_attr())
      .def(py::init<const py::object&, const py::object&>(), py::arg("num_envs"),
           py::arg("max_episode_steps") = py::none())
      .def("reset", &Class::reset, py::kw_only(), py::arg("seed") = py::none(),
           py::arg("options") = py::none(),
           "Starts every environment on a new episode and returns (observations, infos); "
           "see the class for the seeds.")
      .def("step", &Class::step, py::arg("actions"),
           "Steps every environment with its action (one index into EXPEDITION_ACTIONS "
           "each) and returns (observations, rewards, terminations, truncations, infos).")
      .def("_observations", &Class::observations)
      .def_property("_flat_map", &Class::flat_map, &Class::set_flat_map,
                    "Each map as one row of glyphs (True) or as rows (False) in the "
                    "observations of reset and step from now on.")
      .def("_frames", &Class::frames)
      .def("_state", &Class::state)
      .def("_restore", &Class::restore, py::arg("state"))
      .def_property_readonly("num_envs", &Class::size, "The number of environments.")
      .def_property_readonly("max_episode_steps", &Class::max_episode_steps,
                             "The step limit of an episode, or None.");
}

}  // namespace burrowlight::python
