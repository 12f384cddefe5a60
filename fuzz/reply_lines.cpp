// Built without coverage instrumentation: a prototype reply is tens of kilobytes of JSON,
// and the fuzzer learns nothing from the branches of the parser that checks it, while
// their instrumentation would cost most of its time.

#include "reply_lines.hpp"

#include <nlohmann/json.hpp>

#include "fuzz_check.hpp"

namespace burrowlight::fuzz {

namespace {

// Accepts a whole value without building it, then checks that it is an object.
bool is_json_object(std::string_view line) {
  const std::size_t start = line.find_first_not_of(" \t\r\n");
  return start != std::string_view::npos && line[start] == '{' && nlohmann::json::accept(line);
}

}  // namespace

void check_reply_lines(std::string_view written) {
  check(written.empty() || written.back() == '\n', "a reply ends without a line feed");
  // A program that only looks gets the same reply again; it was checked the first time.
  std::string_view previous;
  while (!written.empty()) {
    const std::size_t end = written.find('\n');
    const std::string_view line = written.substr(0, end);
    if (line != previous) check(is_json_object(line), "a reply line is not one JSON object");
    previous = line;
    written.remove_prefix(end + 1);
  }
}

std::optional<LastObservation> last_observation(std::string_view written) {
  while (!written.empty()) {
    written.remove_suffix(1);
    const std::size_t start =
        written.rfind('\n') == std::string_view::npos ? 0 : written.rfind('\n') + 1;
    const auto reply = nlohmann::json::parse(written.substr(start), nullptr, false);
    if (reply.is_object() && reply.contains("turn") && reply.contains("finished")) {
      return LastObservation{reply["turn"].get<std::uint64_t>(), reply["finished"].get<bool>()};
    }
    written.remove_suffix(written.size() - start);
  }
  return std::nullopt;
}

}  // namespace burrowlight::fuzz
