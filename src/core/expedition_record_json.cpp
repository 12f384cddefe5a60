// The strict reader of a save. It follows the JSON library's events instead of building
// its value tree, so a hostile save can neither make a tree nor nest without bound, and
// every key, type and range is checked the moment the parser reaches it.

#include <algorithm>
#include <array>
#include <bitset>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <span>
#include <utility>

#include "core/expedition_record.hpp"
#include "base/untrusted_text.hpp"

namespace burrowlight {

namespace {

// The fields in the order of the array form; also their bits in a set of fields.
enum Field : std::size_t { kFormatVersion, kRulesVersion, kSeed, kSecret, kActions, kFinished };

constexpr std::array<std::string_view, 6> kFieldNames = {
    "format_version", "rules_version", "seed", "secret", "actions", "finished",
};

// Error texts are shown on a terminal, so a save must not be able to smuggle control
// sequences or broken UTF-8 into them.
std::string printable(std::string_view text, bool escape_quotes) {
  return escape_untrusted(text, escape_quotes ? Untrusted::SaveName : Untrusted::SaveText);
}

// The JSON library's exception text starts with its internal identifier, such as
// "[json.exception.parse_error.101] "; the description after it is what a player reads.
std::string library_description(const char* what) {
  std::string_view text = what;
  if (text.starts_with("[json.exception.")) {
    const std::size_t end = text.find("] ");
    if (end != std::string_view::npos) text.remove_prefix(end + 2);
  }
  return std::string(text);
}

// Names the last byte before `end` the way the library's syntax errors do: lines and
// columns count from one, the column in bytes.
std::string location(std::string_view text, std::size_t end) {
  const std::string_view read = text.substr(0, end);
  const std::size_t newline = read.rfind('\n');
  const std::size_t line_start = newline == std::string_view::npos ? 0 : newline + 1;
  return " at line " + std::to_string(1 + std::ranges::count(read, '\n')) + " column " +
         std::to_string(end - line_start);
}

// A value as the parser reported it; an array or object only as it starts.
struct Value {
  enum class Kind : std::uint8_t { Null, Boolean, Integer, Float, String, Sequence, Map };
  Kind kind;
  bool truth = false;
  // Set for the integers from 0 to 2^64 - 1; any other integer keeps only its text.
  std::optional<std::uint64_t> natural = std::nullopt;
  // A number other than a natural one as written, or the text of a string.
  std::string text = {};

  bool number() const { return kind == Kind::Integer || kind == Kind::Float; }

  std::string describe() const {
    switch (kind) {
      case Kind::Null:
        return "null";
      case Kind::Boolean:
        return truth ? "boolean `true`" : "boolean `false`";
      case Kind::Integer:
        return "integer `" + (natural ? std::to_string(*natural) : text) + "`";
      case Kind::Float:
        return "floating point `" + text + "`";
      case Kind::String:
        return "string \"" + printable(text, true) + "\"";
      case Kind::Sequence:
        return "sequence";
      case Kind::Map:
        return "map";
    }
    return {};
  }
};

// Hands the parser one byte at a time and remembers how far it has read, so that the
// reader's own errors can name a line and column like the library's errors do.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* at, const char** reached) : at_(at), reached_(reached) {}

  reference operator*() const { return *at_; }
  CountingIterator& operator++() {
    *reached_ = ++at_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  const char** reached_;
};

// Reads the record as the parser walks the text. The record itself is an object or an
// array; one level down are its fields, named by their keys or by their position; two
// levels down are the bytes of its secret or actions. Every value is checked as it
// starts, so nothing ever opens deeper than that.
class RecordReader final : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit RecordReader(std::string_view text) : text_(text), reached_(text.data()) {}

  std::expected<Record, std::string> read() {
    try {
      nlohmann::json::sax_parse(CountingIterator(text_.data(), &reached_),
                                CountingIterator(text_.data() + text_.size(), &reached_), this);
    } catch (const nlohmann::json::exception& error) {
      return std::unexpected(printable(library_description(error.what()), false));
    }
    if (error_) return std::unexpected(printable(*error_, false));
    return record_;
  }

  bool null() override { return value({.kind = Value::Kind::Null}); }
  bool boolean(bool truth) override {
    return value({.kind = Value::Kind::Boolean, .truth = truth});
  }
  bool number_unsigned(std::uint64_t number) override {
    return value({.kind = Value::Kind::Integer, .natural = number});
  }
  // Only "-0" is a negative-looking integer that is not below zero.
  bool number_integer(std::int64_t number) override {
    if (number == 0) return number_unsigned(0);
    return value({.kind = Value::Kind::Integer, .text = std::to_string(number)});
  }
  // The library also reports integers too large for 64 bits here, as approximate
  // doubles; the text as written tells them apart from fractions and exponents.
  bool number_float(double, const std::string& written) override {
    const bool integer = written.find_first_of(".eE") == std::string::npos;
    return value({.kind = integer ? Value::Kind::Integer : Value::Kind::Float, .text = written});
  }
  bool string(std::string& text) override {
    return value({.kind = Value::Kind::String, .text = std::move(text)});
  }
  bool binary(binary_t&) override { return fail("invalid type: byte array"); }
  bool start_object(std::size_t) override { return value({.kind = Value::Kind::Map}); }
  bool start_array(std::size_t) override { return value({.kind = Value::Kind::Sequence}); }

  // Only the record's own object has keys: an object anywhere deeper is refused as it
  // starts. A field counts as seen from its key on.
  bool key(std::string& name) override {
    const auto known = std::ranges::find(kFieldNames, name);
    if (known == kFieldNames.end()) {
      return fail("unknown field `" + printable(name, true) +
                  "`, expected one of `format_version`, `rules_version`, `seed`, `secret`, "
                  "`actions`, `finished`");
    }
    field_ = static_cast<Field>(known - kFieldNames.begin());
    if (seen_.test(field_)) return fail("duplicate field `" + name + "`");
    seen_.set(field_);
    return true;
  }

  // A save without a secret is a practice save; every other field must be there.
  bool end_object() override {
    for (std::size_t field = 0; field < kFieldNames.size(); ++field) {
      if (!seen_.test(field) && field != kSecret) {
        return fail("missing field `" + std::string(kFieldNames[field]) + "`");
      }
    }
    return true;
  }

  bool end_array() override {
    if (depth_ == 1) {
      if (seen_.all()) return true;
      return fail("invalid length " + std::to_string(seen_.count()) +
                  ", expected struct Record with 6 elements");
    }
    depth_ = 1;
    std::vector<std::uint8_t> bytes = std::exchange(bytes_, {});
    if (field_ == kActions) {
      record_.actions = std::move(bytes);
    } else if (bytes.size() == record::kSecretSize) {
      std::ranges::copy(bytes, record_.secret.emplace().begin());
    } else {
      return fail("invalid length " + std::to_string(bytes.size()) +
                  ", expected an array of length 32");
    }
    return true;
  }

  // Syntax errors name their line and column already; a number too large for a double
  // is reported without them, so they are added here.
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& error) override {
    error_ = library_description(error.what());
    if (dynamic_cast<const nlohmann::json::parse_error*>(&error) == nullptr) {
      *error_ += location(text_, position);
    }
    return false;
  }

 private:
  bool value(const Value& value) {
    if (depth_ == 0) {
      if (value.kind != Value::Kind::Map && value.kind != Value::Kind::Sequence) {
        return invalid("invalid type", value, "struct Record");
      }
      array_form_ = value.kind == Value::Kind::Sequence;
      depth_ = 1;
      return true;
    }
    if (depth_ == 2) {
      std::uint8_t byte = 0;
      if (!integer(value, byte, "u8")) return false;
      bytes_.push_back(byte);
      return true;
    }
    // The array form's elements are its fields in order.
    if (array_form_) {
      if (seen_.all()) {
        return fail("too many elements, expected struct Record with 6 elements", value.number());
      }
      field_ = static_cast<Field>(seen_.count());
      seen_.set(field_);
    }
    switch (field_) {
      case kFormatVersion:
        return integer(value, record_.format_version, "u32");
      case kRulesVersion:
        return integer(value, record_.rules_version, "u64");
      case kSeed:
        return integer(value, record_.seed, "u64");
      case kSecret:
        if (value.kind == Value::Kind::Null) return true;
        return bytes(value, "an array of length 32");
      case kActions:
        return bytes(value, "a sequence");
      case kFinished:
        if (value.kind != Value::Kind::Boolean) return invalid("invalid type", value, "a boolean");
        record_.finished = value.truth;
        return true;
    }
    return false;
  }

  // An integer out of range has the right type but the wrong value.
  template <typename Number>
  bool integer(const Value& value, Number& into, std::string_view expected) {
    if (value.natural && *value.natural <= std::numeric_limits<Number>::max()) {
      into = static_cast<Number>(*value.natural);
      return true;
    }
    return invalid(value.kind == Value::Kind::Integer ? "invalid value" : "invalid type", value,
                   expected);
  }

  // The secret's and the actions' bytes are read one level down.
  bool bytes(const Value& value, std::string_view expected) {
    if (value.kind != Value::Kind::Sequence) return invalid("invalid type", value, expected);
    depth_ = 2;
    return true;
  }

  bool invalid(std::string_view fault, const Value& value, std::string_view expected) {
    return fail(
        std::string(fault) + ": " + value.describe() + ", expected " + std::string(expected),
        value.number());
  }

  // The location points at the last byte of the token the parser has just read. The
  // parser knows a number has ended only once it has read the byte after it, which is
  // never a digit; at the end of the text there is no such byte.
  bool fail(std::string message, bool after_number = false) {
    auto end = static_cast<std::size_t>(reached_ - text_.data());
    if (after_number && end > 0 && (text_[end - 1] < '0' || text_[end - 1] > '9')) --end;
    error_ = std::move(message) + location(text_, end);
    return false;
  }

  std::string_view text_;
  // How far the parser has read.
  const char* reached_;
  std::optional<std::string> error_;

  // 0 before the record, 1 inside it, 2 inside the bytes of its secret or actions.
  int depth_ = 0;
  bool array_form_ = false;
  // The field whose value is being read, and the fields that have begun.
  Field field_ = kFormatVersion;
  std::bitset<kFieldNames.size()> seen_;
  std::vector<std::uint8_t> bytes_;
  Record record_ = Record::practice(0);
};

}  // namespace

std::expected<Record, std::string> Record::from_json(std::string_view text) {
  // The library skips a byte order mark and ends the text at a NUL byte, which would let
  // bytes after a NUL pass unread; a save written by this program has neither.
  if (text.starts_with("\xEF\xBB\xBF")) {
    return std::unexpected("unexpected byte order mark at line 1 column 1");
  }
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return std::unexpected("unexpected NUL byte" + location(text, nul + 1));
  }
  return RecordReader(text).read();
}

}  // namespace burrowlight
