#pragma once
// An observation written down once, as a list of fields (name, element type, shape,
// bounds). The environment's own observation, the rows of a batch, the Python arrays and
// the Gymnasium spaces are all made from that list, so a field is added, renamed or
// bounded in one place.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <tuple>
#include <utility>

namespace burrowlight::env {

enum class Element : std::uint8_t {
  // A map glyph, an ASCII code.
  Glyph,
  Figure,
  Flag,
};

template <Element>
struct ElementType;
template <>
struct ElementType<Element::Glyph> {
  using type = std::uint8_t;
};
template <>
struct ElementType<Element::Figure> {
  using type = std::int32_t;
};
template <>
struct ElementType<Element::Flag> {
  using type = bool;
};

struct Field {
  std::string_view name;
  Element element;
  // 1 for a list of values, 2 for a map (rows, then columns).
  std::size_t rank;
  std::array<std::size_t, 2> shape;
  // The smallest and largest value an element takes (0 and 1 for a flag).
  std::int64_t low;
  std::int64_t high;

  constexpr std::size_t size() const { return rank == 1 ? shape[0] : shape[0] * shape[1]; }
};

constexpr Field values(std::string_view name, Element element, std::size_t count, std::int64_t low,
                       std::int64_t high) {
  return {name, element, 1, {count, 0}, low, high};
}

constexpr Field map(std::string_view name, std::size_t rows, std::size_t columns) {
  return {name, Element::Glyph, 2, {rows, columns}, 0, 127};
}

constexpr Field flags(std::string_view name, std::size_t count) {
  return values(name, Element::Flag, count, 0, 1);
}

// The C++ type of field `index` of the list `kFields`.
template <const auto& kFields, std::size_t index>
using ElementOf = typename ElementType<kFields[index].element>::type;

// Calls `visit.template operator()<index>()` for every field of `kFields` in order.
template <const auto& kFields, class Visit>
constexpr void for_each_field(Visit&& visit) {
  [&]<std::size_t... index>(std::index_sequence<index...>) {
    (visit.template operator()<index>(), ...);
  }
  (std::make_index_sequence<kFields.size()>());
}

template <const auto& kFields, class = std::make_index_sequence<kFields.size()>>
class Rows;

// Where the fields of one observation, or of the first of a batch's, are written: one
// pointer per field, to memory the caller owns. Row `index` of a batch lies `index`
// observations further along each.
template <const auto& kFields, std::size_t... index>
class Rows<kFields, std::index_sequence<index...>> {
 public:
  Rows() = default;
  explicit Rows(ElementOf<kFields, index>*... starts) : starts_(starts...) {}

  template <std::size_t field>
  std::span<ElementOf<kFields, field>, kFields[field].size()> at() const {
    return std::span<ElementOf<kFields, field>, kFields[field].size()>(std::get<field>(starts_),
                                                                       kFields[field].size());
  }

  Rows row(std::size_t number) const {
    return Rows((std::get<index>(starts_) + number * kFields[index].size())...);
  }

 private:
  std::tuple<ElementOf<kFields, index>*...> starts_{};
};

template <const auto& kFields, class = std::make_index_sequence<kFields.size()>>
struct Observation;

// One observation, held: an array per field.
template <const auto& kFields, std::size_t... index>
struct Observation<kFields, std::index_sequence<index...>> {
  template <std::size_t field>
  auto& at() {
    return std::get<field>(values);
  }
  template <std::size_t field>
  const auto& at() const {
    return std::get<field>(values);
  }

  Rows<kFields> rows() { return Rows<kFields>(std::get<index>(values).data()...); }

  bool operator==(const Observation&) const = default;

  std::tuple<std::array<ElementOf<kFields, index>, kFields[index].size()>...> values{};
};

template <const auto& kFields, class = std::make_index_sequence<kFields.size()>>
class Columns;

// The observations of `count` environments, held the way a batch writes them: a column
// per field, row i for environment i (what a C++ caller of a batch keeps them in).
template <const auto& kFields, std::size_t... index>
class Columns<kFields, std::index_sequence<index...>> {
 public:
  explicit Columns(std::size_t count)
      : count_(count),
        values_(std::make_unique<ElementOf<kFields, index>[]>(count * kFields[index].size())...) {}
  Columns(const Columns& other) : Columns(other.count_) {
    (std::copy_n(std::get<index>(other.values_).get(), count_ * kFields[index].size(),
                 std::get<index>(values_).get()),
     ...);
  }
  Columns& operator=(const Columns& other) = delete;

  Rows<kFields> rows() const { return Rows<kFields>(std::get<index>(values_).get()...); }

  // Field `field` of environment `row`.
  template <std::size_t field>
  std::span<const ElementOf<kFields, field>, kFields[field].size()> at(std::size_t row) const {
    return rows().row(row).template at<field>();
  }

  bool operator==(const Columns& other) const {
    return count_ == other.count_ &&
           (std::equal(std::get<index>(values_).get(),
                       std::get<index>(values_).get() + count_ * kFields[index].size(),
                       std::get<index>(other.values_).get()) &&
            ...);
  }

 private:
  std::size_t count_;
  std::tuple<std::unique_ptr<ElementOf<kFields, index>[]>...> values_;
};

}  // namespace burrowlight::env
