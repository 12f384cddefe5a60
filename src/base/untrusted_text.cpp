#include "base/untrusted_text.hpp"

#include <charconv>
#include <optional>

#include "base/json_escapes.hpp"
#include "base/utf8.hpp"

namespace burrowlight {

namespace {

constexpr std::string_view kLowerDigits = "0123456789abcdef";
constexpr std::string_view kUpperDigits = "0123456789ABCDEF";

bool is_control(char32_t scalar) { return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F); }

void append_two_digits(std::string& out, unsigned value, std::string_view digits) {
  out += digits[value >> 4];
  out += digits[value & 0x0F];
}

void append_ill_formed(std::string& out, unsigned char byte, Untrusted form) {
  switch (form) {
    case Untrusted::Argument:
      out += "\\x";
      append_two_digits(out, byte, kUpperDigits);
      return;
    case Untrusted::SaveText:
    case Untrusted::SaveName:
      out += "\\x{";
      append_two_digits(out, byte, kLowerDigits);
      out += '}';
      return;
    case Untrusted::Json:
      out += "\xEF\xBF\xBD";
      return;
  }
}

std::optional<std::string_view> argument_escape(char32_t scalar) {
  switch (scalar) {
    case U'\t':
      return "\\t";
    case U'\r':
      return "\\r";
    case U'\n':
      return "\\n";
    case U'\0':
      return "\\0";
    case U'"':
      return "\\\"";
    case U'\\':
      return "\\\\";
    default:
      return std::nullopt;
  }
}

// Appends the escape of a well-formed scalar and returns true, or returns false for a
// scalar that stands for itself.
bool append_escape(std::string& out, char32_t scalar, Untrusted form) {
  switch (form) {
    case Untrusted::Argument:
      if (auto escape = argument_escape(scalar)) {
        out += *escape;
      } else if (is_control(scalar)) {
        char digits[8];
        const auto end = std::to_chars(digits, digits + sizeof digits,
                                       static_cast<unsigned>(scalar), 16).ptr;
        out += "\\u{";
        out.append(digits, static_cast<std::size_t>(end - digits));
        out += '}';
      } else {
        return false;
      }
      return true;
    case Untrusted::SaveName:
      if (scalar == U'"' || scalar == U'\\') {
        out += '\\';
        return false;
      }
      [[fallthrough]];
    case Untrusted::SaveText:
      if (!is_control(scalar)) return false;
      out += "\\u{";
      append_two_digits(out, static_cast<unsigned>(scalar), kLowerDigits);
      out += '}';
      return true;
    case Untrusted::Json:
      if (scalar < kJsonEscapes.size() && !kJsonEscapes[scalar].empty()) {
        out += kJsonEscapes[scalar];
      } else if (is_control(scalar)) {
        out += "\\u00";
        append_two_digits(out, static_cast<unsigned>(scalar), kLowerDigits);
      } else {
        return false;
      }
      return true;
  }
  return false;
}

}  // namespace

std::string escape_untrusted(std::string_view text, Untrusted form) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const std::size_t start = position;
    if (const std::optional<char32_t> scalar = utf8::next(text, position)) {
      if (!append_escape(out, *scalar, form)) out.append(text.substr(start, position - start));
    } else {
      append_ill_formed(out, static_cast<unsigned char>(text[position++]), form);
    }
  }
  return out;
}

}  // namespace burrowlight
