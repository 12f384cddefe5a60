#include "submit/answer.hpp"

#include <nlohmann/json.hpp>

namespace burrowlight::submit {

namespace {

// The board's sentences are short; a longer text is cut rather than flood a terminal.
constexpr std::size_t kLongestSentence = 300;

std::string printable(std::string_view text) {
  std::string shown;
  for (const char character : text.substr(0, kLongestSentence)) {
    const auto byte = static_cast<unsigned char>(character);
    shown += byte < 0x20 || byte == 0x7f ? '?' : character;
  }
  return shown;
}

bool host_character(char character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
         (character >= '0' && character <= '9') || character == '.' || character == '-' ||
         character == ':' || character == '[' || character == ']';
}

std::string board_words(const std::string& board, const nlohmann::ordered_json& run) {
  if (board == "open") return "the open board";
  if (board == "seed" && run.contains("seed") && run["seed"].is_number_unsigned()) {
    return "the board of seed " + std::to_string(run["seed"].get<std::uint64_t>());
  }
  if (board == "daily" && run.contains("daily") && run["daily"].is_string()) {
    return "the daily board of " + printable(run["daily"].get<std::string>());
  }
  return "the " + printable(board) + " board";
}

}  // namespace

Result<std::string> board_origin(std::string_view url) {
  std::string_view rest = url;
  std::string_view scheme;
  for (std::string_view known : {"http://", "https://"}) {
    if (rest.starts_with(known)) scheme = known;
  }
  rest.remove_prefix(scheme.size());
  if (rest.ends_with('/')) rest.remove_suffix(1);
  bool hosty = !scheme.empty() && !rest.empty();
  for (const char character : rest) hosty = hosty && host_character(character);
  if (!hosty) {
    return std::unexpected(
        Error("the board's address must be http://HOST[:PORT] or "
              "https://HOST[:PORT], not " +
              printable(url)));
  }
  return std::string(scheme) + std::string(rest);
}

Result<std::string> accepted_text(std::string_view body, const std::string& origin) {
  // Ordered, so the ranks read in the order the board gave them.
  const nlohmann::ordered_json run = nlohmann::ordered_json::parse(body, nullptr, false);
  if (!run.is_object() || !run.contains("id") || !run["id"].is_number_unsigned() ||
      !run.contains("ranks") || !run["ranks"].is_object()) {
    return std::unexpected(Error("the board took the run but its answer could not be read"));
  }
  const std::string id = std::to_string(run["id"].get<std::uint64_t>());
  std::string text = "Run " + id + " is on the board";
  const char* separator = ": ";
  for (const auto& [board, rank] : run["ranks"].items()) {
    if (!rank.is_number_unsigned()) continue;
    text += separator + ("rank " + std::to_string(rank.get<std::uint64_t>()) + " on " +
                         board_words(board, run));
    separator = ", ";
  }
  return text + ".\n" + origin + "/runs/" + id + "\n";
}

Error refusal_error(int status, std::string_view body) {
  const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
  std::string sentence = "(no reason given)";
  if (answer.is_object() && answer.contains("error") && answer["error"].is_string()) {
    sentence = printable(answer["error"].get<std::string>());
  }
  return Error("the board refused the run (" + std::to_string(status) + "): " + sentence);
}

}  // namespace burrowlight::submit
