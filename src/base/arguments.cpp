#include "base/arguments.hpp"

#include <algorithm>

#include "base/untrusted_text.hpp"

namespace burrowlight {

// Arguments arrive as bytes and need not be UTF-8. An argument that is not is never
// one of the option names, so it ends the scan as an unknown argument, and its
// ill-formed bytes are shown one by one as \xFF (two upper-case hex digits), which
// cannot be mistaken for the \u{...} escape of a character. File paths are kept byte
// for byte wherever they are used; only messages show them quoted.
// Appended piece by piece: g++ 12 reports a false overlap (-Wrestrict) for a literal
// added to a temporary string in optimised builds.
std::string quote_argument(std::string_view argument) {
  std::string quoted = "\"";
  quoted += escape_untrusted(argument, Untrusted::Argument);
  quoted += '"';
  return quoted;
}

Result<ToolArguments> scan_tool_arguments(const std::vector<std::string>& arguments,
                                          std::span<const std::string_view> known,
                                          std::span<const ValuedOption> valued) {
  ToolArguments scanned;
  bool options_ended = false;
  for (auto next = arguments.begin(); next != arguments.end(); ++next) {
    const std::string& argument = *next;
    const auto with_value =
        options_ended ? valued.end() : std::ranges::find(valued, argument, &ValuedOption::name);
    if (with_value != valued.end()) {
      if (++next == arguments.end()) {
        return std::unexpected(Error(std::string(with_value->requirement)));
      }
      scanned.values.push_back({argument, *next});
    } else if (options_ended || argument == "-" || !argument.starts_with('-')) {
      scanned.operands.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "-h" || argument == "--help") {
      ToolArguments help;
      help.help = true;
      return help;
    } else if (argument == "-V" || argument == "--version") {
      ToolArguments version;
      version.version = true;
      return version;
    } else if (std::ranges::find(known, argument) != known.end()) {
      scanned.options.push_back(argument);
    } else {
      return std::unexpected(Error("unknown option " + quote_argument(argument) + "; use --help"));
    }
  }
  return scanned;
}

}  // namespace burrowlight
