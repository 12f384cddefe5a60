#include "python/environments.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "python/arguments.hpp"
#include "python/files.hpp"

namespace burrowlight::python {

namespace {

using env::ExpeditionObservation;

template <class Value>
py::array_t<Value> array_of(std::initializer_list<py::ssize_t> shape, const Value* values) {
  py::array_t<Value> array(shape);
  std::copy_n(values, array.size(), array.mutable_data());
  return array;
}

template <class Value>
py::array_t<Value> scalar_of(Value value) {
  return array_of<Value>({}, &value);
}

py::dict expedition_observation(const ExpeditionObservation& observation) {
  py::dict result;
  result["map"] = array_of<std::uint8_t>({kFloorHeight, kFloorWidth}, observation.map.data());
  result["position"] = array_of<std::int32_t>({2}, observation.position.data());
  result["floor"] = scalar_of(observation.floor);
  result["charge"] = scalar_of(observation.charge);
  result["score"] = scalar_of(observation.score);
  result["turn"] = scalar_of(observation.turn);
  result["finished"] = scalar_of(observation.finished);
  result["legal"] = array_of<bool>({env::kExpeditionActionCount}, observation.legal.data());
  return result;
}

py::dict record_of(const Record& record) {
  py::dict result;
  result["format_version"] = record.format_version;
  result["rules_version"] = record.rules_version;
  result["seed"] = record.seed;
  if (record.secret) {
    result["secret"] =
        py::list(py::cast(std::vector<int>(record.secret->begin(), record.secret->end())));
  } else {
    result["secret"] = py::none();
  }
  result["actions"] =
      py::list(py::cast(std::vector<int>(record.actions.begin(), record.actions.end())));
  result["finished"] = record.finished;
  return result;
}

std::string without_line_feed(std::string_view line) {
  return std::string(line.substr(0, line.size() - 1));
}

// The arrays of one batch step, made anew for every step so that a caller may keep them.
struct Arrays {
  explicit Arrays(std::size_t count)
      : map({count, std::size_t{kFloorHeight}, std::size_t{kFloorWidth}}),
        position({count, std::size_t{2}}),
        floor(count),
        charge(count),
        score(count),
        turn(count),
        finished(count),
        legal({count, env::kExpeditionActionCount}),
        reward(count),
        terminated(count),
        truncated(count) {}

  env::ExpeditionBatch batch() {
    return {map.mutable_data(),        position.mutable_data(), floor.mutable_data(),
            charge.mutable_data(),     score.mutable_data(),    turn.mutable_data(),
            finished.mutable_data(),   legal.mutable_data(),    reward.mutable_data(),
            terminated.mutable_data(), truncated.mutable_data()};
  }

  py::dict observation() const {
    py::dict result;
    result["map"] = map;
    result["position"] = position;
    result["floor"] = floor;
    result["charge"] = charge;
    result["score"] = score;
    result["turn"] = turn;
    result["finished"] = finished;
    result["legal"] = legal;
    return result;
  }

  py::array_t<std::uint8_t> map;
  py::array_t<std::int32_t> position, floor, charge, score, turn;
  py::array_t<bool> finished, legal;
  py::array_t<std::int64_t> reward;
  py::array_t<bool> terminated, truncated;
};


}  // namespace

py::tuple PythonExpedition::reset(const py::object& seed, const py::object& options) {
  // Checked even beside a secret, which makes the seed: a bad argument is never ignored.
  const std::uint64_t chosen_seed = seed_of(seed);
  if (const std::optional<record::Secret> secret = secret_option(options)) {
    env_.reset(*secret);
  } else {
    env_.reset(chosen_seed);
  }
  py::dict info;
  info["seed"] = env_.record().seed;
  info["expedition_id"] =
      env_.record().expedition_id() ? py::cast(*env_.record().expedition_id()) : py::none();
  return py::make_tuple(observation(), info);
}

py::tuple PythonExpedition::step(const py::handle& action) {
  const env::ExpeditionStep result = env_.step(action_index(action, env::kExpeditionActionCount));
  py::dict info;
  if (!result.error.empty()) info["error"] = std::string(result.error);
  return py::make_tuple(observation(), result.reward, result.terminated, result.truncated, info);
}

py::dict PythonExpedition::observation() const {
  ExpeditionObservation observed;
  env_.observe(observed);
  return expedition_observation(observed);
}

std::string PythonExpedition::reply() { return without_line_feed(env_.reply()); }

void PythonExpedition::restore(const py::handle& state) {
  env_.restore(state_of<env::ExpeditionState>(state, "ExpeditionEnv"));
}

py::dict PythonExpedition::record() const { return record_of(env_.record()); }

void PythonExpedition::save(const py::object& path) const { save_expedition(env_, path); }

void PythonExpedition::load(const py::object& path) { load_expedition(env_, path); }

py::tuple PythonPrototype::reset(const py::object& seed, const py::object& options) {
  // The prototype is always the same place: a seed or options change nothing, but are
  // taken so that the call has the shape every environment's reset has.
  (void)seed;
  check_options_type(options);
  env_.reset();
  return py::make_tuple(observation(), py::dict());
}

py::tuple PythonPrototype::step(const py::handle& action) {
  const env::PrototypeStep result = env_.step(action_index(action, env::kPrototypeActionCount));
  return py::make_tuple(observation(), result.reward, result.terminated, false, py::dict());
}

py::dict PythonPrototype::observation() {
  env_.observe(observed_);
  py::dict result;
  result["map"] =
      array_of<std::uint8_t>({observed_.height, observed_.width}, observed_.map.data());
  result["position"] = array_of<std::int32_t>({2}, observed_.position.data());
  result["turn"] = scalar_of(observed_.turn);
  result["found"] = scalar_of(observed_.found);
  result["awakened"] = scalar_of(observed_.awakened);
  result["legal"] = array_of<bool>({env::kPrototypeActionCount}, observed_.legal.data());
  return result;
}

std::string PythonPrototype::reply() { return without_line_feed(env_.reply()); }

void PythonPrototype::restore(const py::handle& state) {
  env_.restore(state_of<Game>(state, "PrototypeEnv"));
}

PythonVector::PythonVector(std::size_t count) : envs_(count) {
  if (count == 0) throw py::value_error("a vector of environments needs at least one");
}

py::tuple PythonVector::reset(const py::object& seed, const py::object& options) {
  if (!options.is_none()) throw py::value_error("a vector of environments takes no options");
  const std::uint64_t base = seed_of(seed);
  Arrays arrays(envs_.size());
  const env::ExpeditionBatch batch = arrays.batch();
  {
    const py::gil_scoped_release released;
    const std::lock_guard<std::mutex> stepping(*stepping_);
    envs_.reset(base, batch);
  }
  return py::make_tuple(arrays.observation(), py::dict());
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
  Arrays arrays(count);
  // Only the fresh arrays' memory is written meanwhile, which no other thread can see yet.
  const env::ExpeditionBatch batch = arrays.batch();
  {
    const py::gil_scoped_release released;
    const std::lock_guard<std::mutex> stepping(*stepping_);
    envs_.step(taken, batch);
  }
  return py::make_tuple(arrays.observation(), arrays.reward, arrays.terminated, arrays.truncated,
                        py::dict());
}

}  // namespace burrowlight::python
