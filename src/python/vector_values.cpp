#include "python/vector_values.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "core/expedition_actions.hpp"
#include "python/arguments.hpp"
#include "python/states.hpp"

namespace burrowlight::python {

namespace {

// An array of `count` Python objects, every one None, as Gymnasium fills a vector info's
// slots of Python objects that no environment wrote.
py::array nones(std::size_t count) {
  py::array result(py::dtype(py::detail::npy_api::NPY_OBJECT_),
                   std::vector<py::ssize_t>{static_cast<py::ssize_t>(count)});
  auto* const slots = static_cast<PyObject**>(result.mutable_data());
  // numpy fills a new array of objects with null pointers, or Nones.
  for (std::size_t index = 0; index < count; ++index) {
    Py_XDECREF(slots[index]);
    slots[index] = Py_NewRef(Py_None);
  }
  return result;
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

}  // namespace

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

std::vector<std::int64_t> actions_of(const py::handle& actions, std::size_t count) {
  const py::array given = py::array::ensure(actions);
  const char kind = given ? given.dtype().kind() : '?';
  if (kind != 'i' && kind != 'u')
    throw py::type_error("actions must be an array of integer indices");
  const auto chosen =
      py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(given);
  if (chosen.ndim() != 1 || static_cast<std::size_t>(chosen.shape(0)) != count) {
    throw py::value_error("actions must have the shape (" + std::to_string(count) + ",)");
  }
  std::vector<std::int64_t> taken(chosen.data(), chosen.data() + count);
  if (std::any_of(taken.begin(), taken.end(), [](std::int64_t action) {
        return action < 0 || action >= static_cast<std::int64_t>(env::kExpeditionActionCount);
      })) {
    throw py::value_error("every action must be an index from 0 to " +
                          std::to_string(env::kExpeditionActionCount - 1));
  }
  return taken;
}

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

}  // namespace burrowlight::python
