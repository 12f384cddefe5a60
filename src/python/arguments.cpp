#include "python/arguments.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "sys/random.hpp"

namespace burrowlight::python {

namespace {

std::string type_name(const py::handle& value) {
  return std::string(py::str(py::type::of(value).attr("__name__")));
}

record::Secret secret_of(const py::handle& secret) {
  if (!py::isinstance<py::bytes>(secret) && !py::isinstance<py::bytearray>(secret)) {
    throw py::type_error("options[\"secret\"] must be bytes");
  }
  const std::string bytes =
      py::cast<std::string>(py::bytes(py::reinterpret_borrow<py::object>(secret)));
  if (bytes.size() != record::kSecretSize) {
    throw py::value_error("options[\"secret\"] must be exactly 32 bytes, not " +
                          std::to_string(bytes.size()));
  }
  record::Secret result;
  std::copy(bytes.begin(), bytes.end(), result.begin());
  return result;
}

}  // namespace

std::size_t action_index(const py::handle& action, std::size_t count) {
  if (!PyIndex_Check(action.ptr()) || py::isinstance<py::bool_>(action)) {
    throw py::type_error("the action must be an integer index, not " + type_name(action));
  }
  const auto index = py::cast<py::int_>(action.attr("__index__")());
  if (index < py::int_(0) || index >= py::int_(count)) {
    throw py::value_error("the action must be an index from 0 to " + std::to_string(count - 1) +
                          ", not " + std::string(py::repr(index)));
  }
  return py::cast<std::size_t>(index);
}

std::uint64_t seed_of(const py::object& seed) {
  if (seed.is_none()) {
    std::array<std::uint8_t, 8> bytes;
    if (auto filled = sys::fill_random(bytes); !filled) {
      throw std::runtime_error(filled.error().text());
    }
    std::uint64_t value = 0;
    for (std::uint8_t byte : bytes) value = value << 8 | byte;
    return value;
  }
  if (!PyIndex_Check(seed.ptr()) || py::isinstance<py::bool_>(seed)) {
    throw py::type_error("the seed must be an integer or None");
  }
  const auto value = py::cast<py::int_>(seed.attr("__index__")());
  if (value < py::int_(0) || value > py::int_(UINT64_MAX)) {
    throw py::value_error("the seed must be an integer from 0 to 18446744073709551615, not " +
                          std::string(py::repr(value)));
  }
  return py::cast<std::uint64_t>(value);
}

std::optional<record::Secret> secret_option(const py::object& options) {
  check_options_type(options);
  std::optional<record::Secret> secret;
  if (options.is_none()) return secret;
  for (auto [key, value] : py::reinterpret_borrow<py::dict>(options)) {
    if (py::str(key).cast<std::string>() != "secret") {
      throw py::value_error("unknown option " + std::string(py::repr(key)) +
                            "; the only option is \"secret\"");
    }
    secret = secret_of(value);
  }
  return secret;
}

void check_options_type(const py::object& options) {
  if (!options.is_none() && !py::isinstance<py::dict>(options)) {
    throw py::type_error("options must be a dict or None");
  }
}

}  // namespace burrowlight::python
