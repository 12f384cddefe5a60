#include "core/arguments.hpp"

#include <algorithm>
#include <charconv>

#include "core/utf8.hpp"

namespace burrowlight {

namespace {

void append_hex(std::string& out, unsigned value) {
  char digits[8];
  auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  out.append(digits, static_cast<std::size_t>(end - digits));
}

// One well-formed scalar of a quoted argument. Control characters are escaped so that
// the error stays on one line and an invisible character becomes visible.
void append_quoted_scalar(std::string& out, char32_t scalar) {
  switch (scalar) {
    case U'\t':
      out += "\\t";
      return;
    case U'\r':
      out += "\\r";
      return;
    case U'\n':
      out += "\\n";
      return;
    case U'\0':
      out += "\\0";
      return;
    case U'"':
      out += "\\\"";
      return;
    case U'\\':
      out += "\\\\";
      return;
    default:
      break;
  }
  bool control = scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F);
  if (control) {
    out += "\\u{";
    append_hex(out, static_cast<unsigned>(scalar));
    out += "}";
  } else {
    utf8::append(out, scalar);
  }
}

}  // namespace

// Arguments arrive as bytes and need not be UTF-8. An argument that is not is never
// one of the option names, so it ends the scan as an unknown argument, and its
// ill-formed bytes are shown one by one as \xFF (two upper-case hex digits), which
// cannot be mistaken for the \u{...} escape of a character. File paths are kept byte
// for byte wherever they are used; only messages show them quoted.
std::string quote_argument(std::string_view argument) {
  std::string out = "\"";
  std::size_t position = 0;
  while (position < argument.size()) {
    if (auto scalar = utf8::next(argument, position)) {
      append_quoted_scalar(out, *scalar);
      continue;
    }
    static constexpr std::string_view digits = "0123456789ABCDEF";
    auto byte = static_cast<unsigned char>(argument[position++]);
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
  }
  out += "\"";
  return out;
}

Result<ToolArguments> scan_tool_arguments(const std::vector<std::string>& arguments,
                                          std::span<const std::string_view> known) {
  ToolArguments scanned;
  bool options_ended = false;
  for (const std::string& argument : arguments) {
    if (options_ended || argument == "-" || !argument.starts_with('-')) {
      scanned.operands.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "-h" || argument == "--help") {
      ToolArguments help;
      help.help = true;
      return help;
    } else if (std::ranges::find(known, argument) != known.end()) {
      scanned.options.push_back(argument);
    } else {
      return std::unexpected(Error("unknown option " + quote_argument(argument) + "; use --help"));
    }
  }
  return scanned;
}

}  // namespace burrowlight
