// The strict reader of a save. The JSON library's event interface is used instead of
// its value tree: no tree is built, so a hostile save cannot make copies or printing
// recurse, and every key, type and range is checked the moment the parser reaches it.

#include <algorithm>
#include <array>
#include <bitset>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>

#include "core/expedition_record.hpp"
#include "core/utf8.hpp"

namespace burrowlight {

namespace {

enum class Field : std::uint8_t { FormatVersion, RulesVersion, Seed, Secret, Actions, Finished };

inline constexpr std::size_t kFieldCount = 6;
inline constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "format_version", "rules_version", "seed", "secret", "actions", "finished",
};

// Extra elements of the array form are walked only to count them; this bounds how
// deep a value inside them may nest before the save is given up on.
inline constexpr std::size_t kNestingLimit = 128;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::optional<Field> field_named(std::string_view name) {
  for (std::size_t index = 0; index < kFieldCount; ++index) {
    if (kFieldNames[index] == name) return static_cast<Field>(index);
  }
  return std::nullopt;
}

std::string_view name_of(Field field) { return kFieldNames[static_cast<std::size_t>(field)]; }

// Error texts are shown on a terminal, so a save must not be able to smuggle control
// sequences or broken UTF-8 into them.
std::string printable(std::string_view text, bool escape_quotes) {
  static constexpr std::string_view kDigits = "0123456789abcdef";
  std::string out;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t start = position;
    const std::optional<char32_t> scalar = utf8::next(text, position);
    if (!scalar) {
      const auto byte = static_cast<unsigned char>(text[position++]);
      out += "\\x{";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0x0f];
      out += '}';
    } else if (*scalar < 0x20 || (*scalar >= 0x7f && *scalar <= 0x9f)) {
      out += "\\u{";
      out += kDigits[*scalar >> 4];
      out += kDigits[*scalar & 0x0f];
      out += '}';
    } else if (escape_quotes && (*scalar == '"' || *scalar == '\\')) {
      out += '\\';
      out += static_cast<char>(*scalar);
    } else {
      out.append(text.substr(start, position - start));
    }
  }
  return out;
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

// A value as the parser reported it, named the way the error messages name it.
struct Value {
  // OtherInteger is an integer below zero or beyond 64 bits, kept as written.
  enum class Kind : std::uint8_t {
    Null,
    Boolean,
    Unsigned,
    OtherInteger,
    Float,
    String,
    Sequence,
    Map
  };
  Kind kind;
  std::uint64_t number = 0;
  bool truth = false;
  // The number as written, for negative and fractional numbers; the text of a string.
  std::string text = {};

  std::string describe() const {
    switch (kind) {
      case Kind::Null:
        return "null";
      case Kind::Boolean:
        return truth ? "boolean `true`" : "boolean `false`";
      case Kind::Unsigned:
        return "integer `" + std::to_string(number) + "`";
      case Kind::OtherInteger:
        return "integer `" + text + "`";
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

// Where the next value goes.
enum class Slot : std::uint8_t { Root, Field, Byte, Ignored, Nothing };

class RecordReader final : public nlohmann::json_sax<nlohmann::json> {
 public:
  RecordReader(std::string_view text, const char** reached) : text_(text), reached_(reached) {}

  bool null() override { return accept({.kind = Value::Kind::Null}); }
  bool boolean(bool truth) override {
    return accept({.kind = Value::Kind::Boolean, .truth = truth});
  }
  bool number_unsigned(std::uint64_t number) override {
    return accept({.kind = Value::Kind::Unsigned, .number = number});
  }
  // Only "-0" is a negative-looking integer that is not below zero.
  bool number_integer(std::int64_t number) override {
    if (number == 0) return accept({.kind = Value::Kind::Unsigned, .number = 0});
    return accept({.kind = Value::Kind::OtherInteger, .text = std::to_string(number)});
  }
  // The library also reports integers too large for 64 bits here, as approximate
  // doubles; the text as written tells them apart from fractions and exponents.
  bool number_float(double, const std::string& written) override {
    const bool integer = written.find_first_of(".eE") == std::string::npos;
    return accept(
        {.kind = integer ? Value::Kind::OtherInteger : Value::Kind::Float, .text = written});
  }
  bool string(std::string& text) override {
    return accept({.kind = Value::Kind::String, .text = text});
  }
  bool binary(binary_t&) override { return fail("invalid type: byte array"); }
  bool start_object(std::size_t) override { return accept({.kind = Value::Kind::Map}); }
  bool start_array(std::size_t) override { return accept({.kind = Value::Kind::Sequence}); }
  bool key(std::string& name) override;
  bool end_object() override;
  bool end_array() override;
  // Syntax errors name their line and column already; a number too large for a double
  // is reported without them, so they are added here.
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& error) override {
    if (dynamic_cast<const nlohmann::json::parse_error*>(&error) != nullptr) {
      if (!error_) error_ = library_description(error.what());
      return false;
    }
    after_number_ = true;
    return fail(library_description(error.what()));
  }

  // The record once the whole text was read without an error.
  std::expected<Record, std::string> result() const;

 private:
  enum class Form : std::uint8_t { None, Object, Array, Closed };

  Slot slot() const;
  bool accept(const Value& value);
  bool accept_field(Field field, const Value& value);
  bool accept_byte(const Value& value);
  std::optional<std::uint64_t> integer(const Value& value, std::uint64_t maximum,
                                       std::string_view expected);
  void field_done();
  bool close_bytes();

  bool fail(std::string message);
  bool invalid_type(const Value& value, std::string_view expected) {
    return fail("invalid type: " + value.describe() + ", expected " + std::string(expected));
  }
  std::string location() const;

  std::string_view text_;
  const char** reached_;
  std::optional<std::string> error_;
  // Set while the last token was a number: the parser has then read one byte past it.
  bool after_number_ = false;

  Form form_ = Form::None;
  std::optional<Field> current_field_;
  std::size_t element_count_ = 0;
  std::size_t ignored_depth_ = 0;
  std::bitset<kFieldCount> seen_;

  bool in_bytes_ = false;
  std::vector<std::uint8_t> bytes_;

  Record record_ = Record::practice(0);
};

Slot RecordReader::slot() const {
  if (ignored_depth_ > 0) return Slot::Ignored;
  if (in_bytes_) return Slot::Byte;
  switch (form_) {
    case Form::None:
      return Slot::Root;
    case Form::Object:
      return Slot::Field;
    case Form::Array:
      return element_count_ < kFieldCount ? Slot::Field : Slot::Ignored;
    case Form::Closed:
      return Slot::Nothing;
  }
  return Slot::Nothing;
}

bool RecordReader::accept(const Value& value) {
  after_number_ = value.kind == Value::Kind::Unsigned || value.kind == Value::Kind::OtherInteger ||
                  value.kind == Value::Kind::Float;
  switch (slot()) {
    case Slot::Root:
      if (value.kind == Value::Kind::Map) {
        form_ = Form::Object;
        return true;
      }
      if (value.kind == Value::Kind::Sequence) {
        form_ = Form::Array;
        return true;
      }
      return invalid_type(value, "struct Record");
    case Slot::Field:
      if (form_ == Form::Array) current_field_ = static_cast<Field>(element_count_);
      return accept_field(*current_field_, value);
    case Slot::Byte:
      return accept_byte(value);
    case Slot::Ignored:
      if (value.kind == Value::Kind::Map || value.kind == Value::Kind::Sequence) {
        if (++ignored_depth_ > kNestingLimit) return fail("recursion limit exceeded");
      } else if (ignored_depth_ == 0) {
        ++element_count_;
      }
      return true;
    case Slot::Nothing:
      break;
  }
  return fail("trailing characters");
}

bool RecordReader::accept_field(Field field, const Value& value) {
  switch (field) {
    case Field::FormatVersion: {
      const auto number = integer(value, std::numeric_limits<std::uint32_t>::max(), "u32");
      if (!number) return false;
      record_.format_version = static_cast<std::uint32_t>(*number);
      break;
    }
    case Field::RulesVersion: {
      const auto number = integer(value, std::numeric_limits<std::uint64_t>::max(), "u64");
      if (!number) return false;
      record_.rules_version = *number;
      break;
    }
    case Field::Seed: {
      const auto number = integer(value, std::numeric_limits<std::uint64_t>::max(), "u64");
      if (!number) return false;
      record_.seed = *number;
      break;
    }
    case Field::Secret:
      if (value.kind == Value::Kind::Null) {
        record_.secret = std::nullopt;
        break;
      }
      if (value.kind != Value::Kind::Sequence) return invalid_type(value, "an array of length 32");
      in_bytes_ = true;
      return true;
    case Field::Actions:
      if (value.kind != Value::Kind::Sequence) return invalid_type(value, "a sequence");
      in_bytes_ = true;
      return true;
    case Field::Finished:
      if (value.kind != Value::Kind::Boolean) return invalid_type(value, "a boolean");
      record_.finished = value.truth;
      break;
  }
  field_done();
  return true;
}

bool RecordReader::accept_byte(const Value& value) {
  const auto number = integer(value, std::numeric_limits<std::uint8_t>::max(), "u8");
  if (!number) return false;
  bytes_.push_back(static_cast<std::uint8_t>(*number));
  return true;
}

std::optional<std::uint64_t> RecordReader::integer(const Value& value, std::uint64_t maximum,
                                                   std::string_view expected) {
  if (value.kind == Value::Kind::Unsigned && value.number <= maximum) return value.number;
  if (value.kind == Value::Kind::Unsigned || value.kind == Value::Kind::OtherInteger) {
    fail("invalid value: " + value.describe() + ", expected " + std::string(expected));
  } else {
    invalid_type(value, expected);
  }
  return std::nullopt;
}

void RecordReader::field_done() {
  seen_.set(static_cast<std::size_t>(*current_field_));
  if (form_ == Form::Array) ++element_count_;
  current_field_.reset();
}

bool RecordReader::key(std::string& name) {
  after_number_ = false;
  if (ignored_depth_ > 0) return true;
  const std::optional<Field> field = field_named(name);
  if (!field) {
    std::string expected;
    for (std::string_view known : kFieldNames) {
      expected += expected.empty() ? "`" : ", `";
      expected += known;
      expected += '`';
    }
    return fail("unknown field `" + printable(name, true) + "`, expected one of " + expected);
  }
  if (seen_.test(static_cast<std::size_t>(*field))) {
    return fail("duplicate field `" + std::string(name_of(*field)) + "`");
  }
  current_field_ = field;
  return true;
}

bool RecordReader::end_object() {
  after_number_ = false;
  if (ignored_depth_ > 0) {
    if (--ignored_depth_ == 0) ++element_count_;
    return true;
  }
  // A save without a secret is a practice save; every other field must be there.
  for (std::size_t index = 0; index < kFieldCount; ++index) {
    const auto field = static_cast<Field>(index);
    if (field != Field::Secret && !seen_.test(index)) {
      return fail("missing field `" + std::string(name_of(field)) + "`");
    }
  }
  form_ = Form::Closed;
  return true;
}

bool RecordReader::end_array() {
  after_number_ = false;
  if (ignored_depth_ > 0) {
    if (--ignored_depth_ == 0) ++element_count_;
    return true;
  }
  if (in_bytes_) return close_bytes();
  if (element_count_ != kFieldCount) {
    return fail("invalid length " + std::to_string(element_count_) +
                ", expected struct Record with 6 elements");
  }
  form_ = Form::Closed;
  return true;
}

bool RecordReader::close_bytes() {
  in_bytes_ = false;
  if (*current_field_ == Field::Secret) {
    if (bytes_.size() != record::kSecretSize) {
      return fail("invalid length " + std::to_string(bytes_.size()) +
                  ", expected an array of length 32");
    }
    record::Secret secret;
    std::copy(bytes_.begin(), bytes_.end(), secret.begin());
    record_.secret = secret;
  } else {
    record_.actions = std::move(bytes_);
  }
  bytes_.clear();
  field_done();
  return true;
}

bool RecordReader::fail(std::string message) {
  if (!error_) error_ = std::move(message) + location();
  return false;
}

// Lines and columns count from one, the column in bytes, pointing at the last byte
// of the token the parser had just read.
std::string RecordReader::location() const {
  std::size_t offset = static_cast<std::size_t>(*reached_ - text_.data());
  const bool looked_ahead = offset > 0 && (text_[offset - 1] < '0' || text_[offset - 1] > '9');
  if (after_number_ && looked_ahead) --offset;
  const std::string_view read = text_.substr(0, offset);
  const std::size_t line_start =
      read.rfind('\n') == std::string_view::npos ? 0 : read.rfind('\n') + 1;
  const auto line = 1 + std::count(read.begin(), read.end(), '\n');
  return " at line " + std::to_string(line) + " column " + std::to_string(offset - line_start);
}

std::expected<Record, std::string> RecordReader::result() const {
  if (error_) return std::unexpected(printable(*error_, false));
  return record_;
}

// The library skips a byte order mark and ends the text at a NUL byte, which would let
// bytes after a NUL pass unread; a save written by this program has neither.
std::optional<std::string> forbidden_bytes(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) return "unexpected byte order mark at line 1 column 1";
  const std::size_t nul = text.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  const std::string_view before = text.substr(0, nul);
  const std::size_t line_start =
      before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
  const auto line = 1 + std::count(before.begin(), before.end(), '\n');
  return "unexpected NUL byte at line " + std::to_string(line) + " column " +
         std::to_string(nul - line_start + 1);
}

}  // namespace

std::expected<Record, std::string> Record::from_json(std::string_view text) {
  if (auto forbidden = forbidden_bytes(text)) return std::unexpected(std::move(*forbidden));
  const char* reached = text.data();
  RecordReader reader(text, &reached);
  try {
    nlohmann::json::sax_parse(CountingIterator(text.data(), &reached),
                              CountingIterator(text.data() + text.size(), &reached), &reader);
  } catch (const nlohmann::json::exception& error) {
    return std::unexpected(printable(library_description(error.what()), false));
  }
  return reader.result();
}

}  // namespace burrowlight
