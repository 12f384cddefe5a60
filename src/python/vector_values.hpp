#pragma once
// What a vector of expedition environments is given and gives back beside its arrays:
// the seeds of a reset, the infos of a step in Gymnasium's layout, and the members of a
// state handed back, each checked completely before the vector acts on it.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/expedition_actions.hpp"
#include "env/vector_env.hpp"

namespace burrowlight::python {

namespace py = pybind11;

// More environments than this would not fit in memory (each holds its run and its
// views) long before the count itself became a problem.
inline constexpr std::uint64_t kMostEnvironments = std::uint64_t{1} << 24;

// The first seed of each environment: consecutive from one seed (drawn at random when
// None), or one for each environment from a sequence (a numpy array among them).
std::vector<std::uint64_t> first_seeds(const py::object& given, std::size_t count);

// The actions of a step, one index per environment from an array of integers, copied,
// since another thread may write to the caller's array while the batch steps.
std::vector<std::int64_t> actions_of(const py::handle& actions, std::size_t count);

// What the infos of the environments that started an episode hold, in Gymnasium's layout
// for a vector's infos (each key beside a mask under "_key" of the environments that have
// it, the other slots 0 or None), as SyncVectorEnv gathers the single environments' infos:
// the seeds they play and, since a vector plays practice expeditions only, no expedition
// id.
void put_starts(std::span<const std::uint64_t> played, const std::vector<bool>& which,
                py::dict& info);

// The sentences that refused the step's actions, where any did, in the same layout.
void put_errors(std::span<const std::optional<expedition::Refusal>> errors, py::dict& info);

// One environment of a vector's state, checked against the rules of a vector of `count`
// with `step_limit`: its episode is the practice expedition of its seed, it has taken at
// least as many steps as its record holds actions, and it has ended exactly when its
// last step sealed the run, used the last action or reached the limit.
env::VectorMember member_of(const py::handle& given, std::size_t count, std::uint64_t step_limit);

}  // namespace burrowlight::python
