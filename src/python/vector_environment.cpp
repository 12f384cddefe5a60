#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/expedition_actions.hpp"
#include "python/arguments.hpp"
#include "python/environments.hpp"
#include "python/pixels.hpp"
#include "python/states.hpp"

namespace burrowlight::python {

namespace {

// The arrays of one batch step, made anew for every step so that a caller may keep them.
// A figure is a column (count, 1), a row for each environment of the single shape (1,).
// The rewards are floats, as Gymnasium's vectors give them, so that a learner's
// arithmetic on them in place works; the game's own (whole) scores are written beside.
struct Arrays {
  explicit Arrays(std::size_t count)
      : observation(count), gained(count), reward(count), terminated(count), truncated(count) {}

  env::ExpeditionBatch batch() {
    return {observation.rows(), gained.data(), terminated.mutable_data(), truncated.mutable_data()};
  }

  // Exact below 2^53, which no score comes near.
  const py::array_t<double>& rewards() {
    std::transform(gained.begin(), gained.end(), reward.mutable_data(),
                   [](std::int64_t points) { return static_cast<double>(points); });
    return reward;
  }

  ObservationArrays<env::kExpeditionFields> observation;
  std::vector<std::int64_t> gained;
  py::array_t<double> reward;
  py::array_t<bool> terminated, truncated;
};

// An array of `count` Python objects, every one None, as Gymnasium fills a vector info's
// slots of Python objects that no environment wrote.
py::array nones(std::size_t count) {
  return py::module_::import("numpy").attr("full")(count, py::none(), py::arg("dtype") = "O");
}

// A numpy array of seeds as the plain Python values it holds (tolist gives Python's own
// ints, and bools or floats, which seed_of refuses), so that each element is checked as
// a value of its own; anything else as it is.
py::object plain_seeds(const py::object& seed) {
  if (!py::isinstance<py::array>(seed)) return seed;
  const auto seeds = py::reinterpret_borrow<py::array>(seed);
  if (seeds.ndim() > 1) {
    throw py::type_error("the seeds must be one integer or a list of integers, not an array of " +
                         std::to_string(seeds.ndim()) + " dimensions");
  }
  return seeds.attr("tolist")();
}

// The first seed of each environment: consecutive from one seed (drawn at random when
// None), or one for each environment from a sequence (a numpy array among them).
std::vector<std::uint64_t> first_seeds(const py::object& given, std::size_t count) {
  const py::object seed = plain_seeds(given);
  std::vector<std::uint64_t> firsts(count);
  const bool sequence = !seed.is_none() && !PyIndex_Check(seed.ptr()) &&
                        !py::isinstance<py::str>(seed) && !py::isinstance<py::bytes>(seed) &&
                        py::isinstance<py::sequence>(seed);
  if (!sequence) {
    const std::uint64_t base = seed_of(seed);
    for (std::size_t index = 0; index < count; ++index) firsts[index] = base + index;
    return firsts;
  }
  const auto seeds = py::reinterpret_borrow<py::sequence>(seed);
  if (seeds.size() != count) {
    throw py::value_error("a list of seeds needs one seed for each of the " +
                          std::to_string(count) + " environments");
  }
  for (std::size_t index = 0; index < count; ++index) {
    firsts[index] = seed_of(py::reinterpret_borrow<py::object>(seeds[index]));
  }
  return firsts;
}

// What the infos of the environments that started an episode hold, in Gymnasium's layout
// for a vector's infos (each key beside a mask under "_key" of the environments that have
// it, the other slots 0 or None), as SyncVectorEnv gathers the single environments' infos:
// the seeds they play and, since a vector plays practice expeditions only, no expedition
// id.
void put_starts(std::span<const std::uint64_t> played, const std::vector<bool>& which,
                py::dict& info) {
  const std::size_t count = played.size();
  py::array_t<std::uint64_t> seeds(count);
  py::array_t<bool> present(count);
  for (std::size_t index = 0; index < count; ++index) {
    seeds.mutable_data()[index] = which[index] ? played[index] : 0;
    present.mutable_data()[index] = which[index];
  }
  info["seed"] = seeds;
  info["_seed"] = present;
  info["expedition_id"] = nones(count);
  info["_expedition_id"] = present.attr("copy")();
}

// The sentences that refused the step's actions, where any did, in the same layout.
void put_errors(std::span<const std::optional<expedition::Refusal>> errors, py::dict& info) {
  if (std::none_of(errors.begin(), errors.end(),
                   [](const std::optional<expedition::Refusal>& e) { return e.has_value(); }))
    return;
  // Each refusal's sentence becomes a Python string once per step, however many
  // environments it refused.
  std::array<py::object, expedition::kRefusalTexts.size()> made;
  const auto text_of = [&made](expedition::Refusal refusal) -> const py::object& {
    py::object& text = made[static_cast<std::size_t>(refusal)];
    if (!text) {
      const std::string_view sentence = expedition::message(refusal);
      text = py::str(sentence.data(), sentence.size());
    }
    return text;
  };
  // Each sentence goes straight into its slot: numpy's conversion of a list would look
  // every None over as a possible array, which costs more than stepping the batch.
  py::array texts = nones(errors.size());
  auto* const slots = static_cast<PyObject**>(texts.mutable_data());
  py::array_t<bool> present(static_cast<py::ssize_t>(errors.size()));
  for (std::size_t index = 0; index < errors.size(); ++index) {
    present.mutable_data()[index] = errors[index].has_value();
    if (!errors[index]) continue;
    PyObject* const none = slots[index];
    slots[index] = text_of(*errors[index]).inc_ref().ptr();
    Py_DECREF(none);
  }
  info["error"] = texts;
  info["_error"] = present;
}

// More environments than this would not fit in memory (each holds its run and its
// views) long before the count itself became a problem.
constexpr std::uint64_t kMostEnvironments = std::uint64_t{1} << 24;

// One environment of a vector's state, checked against the rules of a vector of `count`
// with `step_limit`: its episode is the practice expedition of its seed, it has taken at
// least as many steps as its record holds actions, and it has ended exactly when its
// last step sealed the run, used the last action or reached the limit.
env::VectorMember member_of(const py::handle& given, std::size_t count, std::uint64_t step_limit) {
  const py::tuple values = tuple_of(given, 5, "a member of VectorExpeditionEnv state");
  env::VectorMember member{expedition_state_of(py::reinterpret_borrow<py::object>(values[0])),
                           count_of(values[1], "a member's first seed", 0, UINT64_MAX),
                           count_of(values[2], "a member's episode", 0, UINT64_MAX),
                           count_of(values[3], "a member's steps", 0, UINT64_MAX),
                           truth_of(values[4], "a member's ended")};
  const Record& record = member.state.run.record();
  if (record.secret || record.seed != member.first + member.episode * count)
    throw py::value_error(
        "a member of VectorExpeditionEnv state plays another expedition than its seeds give");
  const bool over = record.finished ||
                    member.state.run.expedition().turns >= expedition::kActionLimit ||
                    (step_limit != 0 && member.steps >= step_limit);
  if (record.actions.size() > member.steps || (step_limit != 0 && member.steps > step_limit) ||
      over != member.ended) {
    throw py::value_error(
        "a member of VectorExpeditionEnv state has steps and an end that do not agree with its "
        "run");
  }
  return member;
}

}  // namespace

PythonVector::PythonVector(const py::object& count, const py::object& max_episode_steps)
    : envs_(count_of(count, "num_envs", 1, kMostEnvironments),
            max_episode_steps.is_none()
                ? 0
                : count_of(max_episode_steps, "max_episode_steps", 1, UINT64_MAX)) {}

py::tuple PythonVector::reset(const py::object& seed, const py::object& options) {
  if (!options.is_none()) throw py::value_error("a vector of environments takes no options");
  const std::vector<std::uint64_t> firsts = first_seeds(seed, envs_.size());
  Arrays arrays(envs_.size());
  const env::ExpeditionBatch batch = arrays.batch();
  {
    const py::gil_scoped_release released;
    const std::lock_guard<std::mutex> stepping(*stepping_);
    envs_.reset(firsts, batch);
  }
  py::dict info;
  put_starts(firsts, std::vector<bool>(envs_.size(), true), info);
  return py::make_tuple(arrays.observation.dict(), info);
}

py::tuple PythonVector::step(const py::handle& actions) {
  const std::size_t count = envs_.size();
  const py::array given = py::array::ensure(actions);
  const char kind = given ? given.dtype().kind() : '?';
  if (kind != 'i' && kind != 'u')
    throw py::type_error("actions must be an array of integer indices");
  const auto chosen =
      py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(given);
  if (chosen.ndim() != 1 || static_cast<std::size_t>(chosen.shape(0)) != count) {
    throw py::value_error("actions must have the shape (" + std::to_string(count) + ",)");
  }
  // A copy, since another thread may write to the caller's array while this one steps.
  const std::vector<std::int64_t> taken(chosen.data(), chosen.data() + count);
  if (std::any_of(taken.begin(), taken.end(), [](std::int64_t action) {
        return action < 0 || action >= static_cast<std::int64_t>(env::kExpeditionActionCount);
      })) {
    throw py::value_error("every action must be an index from 0 to " +
                          std::to_string(env::kExpeditionActionCount - 1));
  }
  std::vector<bool> restarted(count);
  std::vector<std::uint64_t> seeds(count);
  std::vector<std::optional<expedition::Refusal>> errors(count);
  Arrays arrays(count);
  // Only the fresh arrays' memory is written meanwhile, which no other thread can see yet.
  const env::ExpeditionBatch batch = arrays.batch();
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
  return py::make_tuple(arrays.observation.dict(), arrays.rewards(), arrays.terminated,
                        arrays.truncated, info);
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

}  // namespace burrowlight::python
