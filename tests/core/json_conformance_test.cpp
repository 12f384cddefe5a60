// The save reader against the JSON parsing test suite and our own corpus: every document,
// whole and set into a save, gives a record or one clear line of error, never a crash;
// what any parser must reject is rejected, and what any parser must accept is refused,
// if at all, only for not being a record.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "core/expedition_record.hpp"
#include "core/json_corpus.hpp"
#include "base/utf8.hpp"

namespace burrowlight {
namespace {

using json_corpus::Document;
using json_corpus::Place;

std::vector<Document> all_documents() {
  std::vector<Document> documents = json_corpus::own_corpus(BURROWLIGHT_SOURCE_DIR);
  if (auto suite = json_corpus::public_suite()) {
    documents.insert(documents.end(), suite->begin(), suite->end());
  }
  return documents;
}

// An error is shown on a terminal as one line: something to read, valid UTF-8, and no
// control character that could move the cursor or end the line.
void expect_one_clear_line(const std::string& error, const std::string& context) {
  EXPECT_FALSE(error.empty()) << context;
  EXPECT_TRUE(utf8::valid(error)) << context;
  for (const char byte : error) {
    const auto code = static_cast<unsigned char>(byte);
    EXPECT_TRUE(code >= 0x20 && code != 0x7f) << context << ": control byte " << int{code};
  }
}

bool is_syntax_error(const std::string& error) { return error.starts_with("parse error"); }

// The value a valid JSON document stands for when it is a non-negative integer.
std::optional<std::uint64_t> non_negative_integer(std::string_view text) {
  const auto value = nlohmann::json::parse(text, nullptr, false);
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_number_integer() && value.get<std::int64_t>() == 0) return 0;
  return std::nullopt;
}

TEST(JsonConformance, ThePublicSuiteIsInstalled) {
  const auto suite = json_corpus::public_suite();
  ASSERT_TRUE(suite.has_value()) << "no JSON parsing test suite at " << json_corpus::suite_path()
                                 << "; run scripts/setup --test";
  std::size_t accept = 0;
  std::size_t reject = 0;
  for (const Document& document : *suite) {
    accept += document.must_accept() ? 1 : 0;
    reject += document.must_reject() ? 1 : 0;
  }
  EXPECT_EQ(suite->size(), 318u);
  EXPECT_EQ(accept, 95u);
  EXPECT_EQ(reject, 188u);
}

TEST(JsonConformance, EveryDocumentAsAWholeSave) {
  for (const Document& document : all_documents()) {
    const auto record = Record::from_json(document.text);
    if (record) {
      EXPECT_FALSE(document.must_reject()) << document.name << " was accepted";
      EXPECT_EQ(Record::from_json(record->to_pretty_json()), *record) << document.name;
      continue;
    }
    expect_one_clear_line(record.error(), document.name);
    if (document.must_accept()) {
      EXPECT_FALSE(is_syntax_error(record.error())) << document.name << ": " << record.error();
    }
  }
}

TEST(JsonConformance, EveryDocumentSetIntoASave) {
  for (const Document& document : all_documents()) {
    // Nothing set into a list of actions is still a list of actions.
    if (document.text.find_first_not_of(" \t\r\n") == std::string::npos) continue;
    // What a valid document holds decides the outcome where the save expects a number.
    std::optional<std::uint64_t> integer;
    if (document.must_accept()) {
      ASSERT_FALSE(nlohmann::json::parse(document.text, nullptr, false).is_discarded())
          << document.name;
      integer = non_negative_integer(document.text);
    }
    for (const Place place : json_corpus::kPlaces) {
      const std::string context =
          document.name + " as " + std::string(json_corpus::place_name(place));
      const auto record = Record::from_json(json_corpus::embedded(place, document.text));
      if (!record) expect_one_clear_line(record.error(), context);
      if (document.must_reject()) {
        EXPECT_FALSE(record) << context << " was accepted";
        continue;
      }
      if (!document.must_accept()) continue;
      switch (place) {
        case Place::Seed:
          EXPECT_EQ(record ? std::optional(record->seed) : std::nullopt, integer) << context;
          break;
        case Place::Action: {
          const bool byte = integer && *integer <= std::numeric_limits<std::uint8_t>::max();
          ASSERT_EQ(record.has_value(), byte) << context;
          if (byte) {
            EXPECT_EQ(record->actions,
                      std::vector<std::uint8_t>{static_cast<std::uint8_t>(*integer)});
          }
          break;
        }
        case Place::ExtraElement:
          ASSERT_FALSE(record) << context;
          EXPECT_TRUE(record.error().starts_with(
              "too many elements, expected struct Record with 6 elements at line "))
              << context << ": " << record.error();
          break;
      }
      if (!record) {
        EXPECT_FALSE(is_syntax_error(record.error())) << context << ": " << record.error();
      }
    }
  }
}

// The exact outcome of the cases a damaged or hand-edited save most often shows.
TEST(JsonConformance, OwnCorpusOutcomes) {
  const std::string kRecord = "a record";
  struct Case {
    std::string_view name;
    std::string outcome;
  };
  const std::vector<Case> cases = {
      {"y_save_practice.json", kRecord},
      {"y_save_normal.json", kRecord},
      {"y_save_array_form.json", kRecord},
      {"y_save_minus_zero_seed.json", kRecord},
      {"y_save_missing_secret.json", kRecord},
      {"y_save_duplicate_seed.json", "duplicate field `seed` at line 8 column 8"},
      {"y_save_escape_in_key.json",
       "unknown field `\\u{1b}]0;title\\u{07}`, expected one of `format_version`, "
       "`rules_version`, `seed`, `secret`, `actions`, `finished` at line 8 column 24"},
      {"y_save_seed_float.json",
       "invalid type: floating point `42.0`, expected u64 at line 4 column 14"},
      {"i_bom_save.json", "unexpected byte order mark at line 1 column 1"},
      {"n_nul_inside_save.json", "unexpected NUL byte at line 4 column 12"},
      {"i_utf16le_with_bom.json", "unexpected NUL byte at line 1 column 4"},
      {"i_huge_exponent_seed.json", "number overflow parsing '1e999' at line 4 column 15"},
      {"i_invalid_utf8_in_save_key.json",
       "parse error at line 8, column 4: syntax error while parsing object key - invalid string: "
       "ill-formed UTF-8 byte; last read: '\"\\x{ff}'; expected string literal"},
      {"i_lone_surrogate_save_key.json",
       "parse error at line 8, column 9: syntax error while parsing object key - invalid string: "
       "surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF; last read: '\"\\udfff'; expected "
       "string literal"},
      {"n_comment_in_save.json",
       "parse error at line 4, column 14: syntax error while parsing object key - invalid "
       "literal; last read: '0, /'; expected string literal"},
      {"n_trailing_comma_save.json",
       "parse error at line 8, column 1: syntax error while parsing object key - unexpected '}'; "
       "expected string literal"},
      {"n_nan_seed.json",
       "parse error at line 4, column 11: syntax error while parsing value - invalid literal; "
       "last read: '\"seed\": N'"},
      {"n_unterminated_save.json",
       "parse error at line 5, column 11: syntax error while parsing object separator - "
       "unexpected end of input; expected ':'"},
      {"n_save_twice.json",
       "parse error at line 9, column 1: syntax error while parsing value - unexpected '{'; "
       "expected end of input"},
      {"i_deep_arrays_10000.json", "invalid type: sequence, expected u32 at line 1 column 2"},
  };
  const std::vector<Document> corpus = json_corpus::own_corpus(BURROWLIGHT_SOURCE_DIR);
  for (const Case& test : cases) {
    const auto document = std::find_if(corpus.begin(), corpus.end(),
                                       [&](const Document& d) { return d.name == test.name; });
    ASSERT_NE(document, corpus.end()) << test.name;
    const auto record = Record::from_json(document->text);
    EXPECT_EQ(record ? kRecord : record.error(), test.outcome) << test.name;
  }
}

}  // namespace
}  // namespace burrowlight
