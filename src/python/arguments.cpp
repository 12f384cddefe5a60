#include "python/arguments.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include "base/untrusted_text.hpp"
#include "sys/random.hpp"

namespace burrowlight::python {

namespace {

// numpy deprecates its bool as an index but still takes it; Python's bool is an int.
bool is_truth_value(const py::handle& value) {
  const std::string_view type = Py_TYPE(value.ptr())->tp_name;
  return PyBool_Check(value.ptr()) || type == "numpy.bool_" || type == "numpy.bool";
}

// The integer an index-like value stands for, or nothing when it is no index at all.
std::optional<py::int_> index_of(const py::handle& value) {
  if (!PyIndex_Check(value.ptr()) || is_truth_value(value)) return std::nullopt;
  PyObject* index = PyNumber_Index(value.ptr());
  if (index == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::int_>(index);
}

// A buffer view that is given back however the caller leaves.
class BufferView {
 public:
  explicit BufferView(const py::handle& object) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_SIMPLE) != 0) {
      PyErr_Clear();
      throw py::type_error("options[\"secret\"] must be bytes or another buffer of 32 bytes, not " +
                           type_name(object));
    }
  }
  ~BufferView() { PyBuffer_Release(&view_); }
  BufferView(const BufferView&) = delete;
  BufferView& operator=(const BufferView&) = delete;

  std::span<const std::uint8_t> bytes() const {
    return {static_cast<const std::uint8_t*>(view_.buf), static_cast<std::size_t>(view_.len)};
  }

 private:
  Py_buffer view_{};
};

record::Secret secret_of(const py::handle& secret) {
  const BufferView view(secret);
  const std::span<const std::uint8_t> bytes = view.bytes();
  if (bytes.size() != record::kSecretSize) {
    throw py::value_error("options[\"secret\"] must be exactly 32 bytes, not " +
                          std::to_string(bytes.size()));
  }
  record::Secret result;
  std::copy(bytes.begin(), bytes.end(), result.begin());
  return result;
}

bool is_secret_key(const py::handle& key) {
  return PyUnicode_Check(key.ptr()) && PyUnicode_CompareWithASCIIString(key.ptr(), "secret") == 0;
}

}  // namespace

std::size_t action_index(const py::handle& action, std::size_t count) {
  // A plain int (bool is a subclass, so it is not exact) in range needs none of the
  // general conversion: it is what almost every step hands in.
  if (PyLong_CheckExact(action.ptr())) {
    int overflow = 0;
    const long value = PyLong_AsLongAndOverflow(action.ptr(), &overflow);
    if (overflow == 0 && value >= 0 && static_cast<unsigned long>(value) < count) {
      return static_cast<std::size_t>(value);
    }
  }
  const std::optional<py::int_> index = index_of(action);
  if (!index) throw py::type_error("the action must be an integer index, not " + type_name(action));
  if (*index < py::int_(0) || *index >= py::int_(count)) {
    throw py::value_error("the action must be an index from 0 to " + std::to_string(count - 1) +
                          ", not " + std::string(py::repr(*index)));
  }
  return py::cast<std::size_t>(*index);
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
  const std::optional<py::int_> value = index_of(seed);
  if (!value) throw py::type_error("the seed must be an integer or None");
  if (*value < py::int_(0) || *value > py::int_(UINT64_MAX)) {
    throw py::value_error("the seed must be an integer from 0 to 18446744073709551615, not " +
                          std::string(py::repr(*value)));
  }
  return py::cast<std::uint64_t>(*value);
}

std::optional<record::Secret> secret_option(const py::object& options) {
  check_options_type(options);
  std::optional<record::Secret> secret;
  if (options.is_none()) return secret;
  // A list of its own of owned pairs: the code that a key or value may run (repr, a
  // buffer export) can change the dict without pulling anything from under the loop.
  const py::list items = py::reinterpret_steal<py::list>(PyDict_Items(options.ptr()));
  if (!items) throw py::error_already_set();
  for (const py::handle item : items) {
    const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
    if (!is_secret_key(pair[0])) {
      throw py::value_error("unknown option " + std::string(py::repr(pair[0])) +
                            "; the only option is \"secret\"");
    }
    secret = secret_of(pair[1]);
  }
  return secret;
}

std::string path_bytes(const py::handle& path) {
  PyObject* encoded = nullptr;
  if (PyUnicode_FSConverter(path.ptr(), &encoded) == 0) throw py::error_already_set();
  return std::string(py::reinterpret_steal<py::bytes>(encoded));
}

std::string type_name(const py::handle& value) {
  const py::object name = py::type::of(value).attr("__name__");
  PyObject* encoded = PyUnicode_Check(name.ptr())
                          ? PyUnicode_AsEncodedString(name.ptr(), "utf-8", "surrogateescape")
                          : nullptr;
  if (encoded == nullptr) {
    PyErr_Clear();
    return "?";
  }
  return escape_untrusted(std::string(py::reinterpret_steal<py::bytes>(encoded)),
                          Untrusted::SaveText);
}

std::uint64_t count_of(const py::handle& value, std::string_view what, std::uint64_t least,
                       std::uint64_t most) {
  const std::optional<py::int_> index = index_of(value);
  if (!index)
    throw py::type_error(std::string(what) + " must be an integer, not " + type_name(value));
  if (*index < py::int_(least) || *index > py::int_(most)) {
    throw py::value_error(std::string(what) + " must be an integer from " + std::to_string(least) +
                          " to " + std::to_string(most) + ", not " + std::string(py::repr(*index)));
  }
  return py::cast<std::uint64_t>(*index);
}

bool truth_of(const py::handle& value, std::string_view what) {
  if (!PyBool_Check(value.ptr()))
    throw py::type_error(std::string(what) + " must be True or False, not " + type_name(value));
  return value.ptr() == Py_True;
}

std::string bytes_of(const py::handle& value, std::string_view what) {
  if (!PyBytes_Check(value.ptr()))
    throw py::type_error(std::string(what) + " must be bytes, not " + type_name(value));
  return std::string(py::reinterpret_borrow<py::bytes>(value));
}

std::string utf8_of(const py::handle& value, std::string_view what) {
  if (!PyUnicode_Check(value.ptr()))
    throw py::type_error(std::string(what) + " must be a str, not " + type_name(value));
  Py_ssize_t size = 0;
  const char* text = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
  if (text == nullptr) {
    // A lone surrogate has no UTF-8.
    PyErr_Clear();
    throw py::value_error(std::string(what) + " is not valid UTF-8 text");
  }
  return std::string(text, static_cast<std::size_t>(size));
}

py::tuple tuple_of(const py::handle& value, std::size_t size, std::string_view what) {
  if (!PyTuple_Check(value.ptr()))
    throw py::type_error(std::string(what) + " must be a tuple, not " + type_name(value));
  const auto values = py::reinterpret_borrow<py::tuple>(value);
  if (values.size() != size) {
    throw py::value_error(std::string(what) + " must hold " + std::to_string(size) +
                          " values, not " + std::to_string(values.size()));
  }
  return values;
}

void check_options_type(const py::object& options) {
  if (!options.is_none() && !py::isinstance<py::dict>(options)) {
    throw py::type_error("options must be a dict or None");
  }
}

}  // namespace burrowlight::python
