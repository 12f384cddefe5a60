#include "core/expedition_record.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace burrowlight {
namespace {

constexpr std::uint8_t kNorth = 1;
constexpr std::uint8_t kWait = 11;

record::Secret counting_secret() {
  record::Secret secret;
  for (std::size_t index = 0; index < secret.size(); ++index)
    secret[index] = static_cast<std::uint8_t>(index);
  return secret;
}

// SHA-256 of 32 zero bytes is 66687aad f862bd77 6c8fc18b ..., of the bytes 0 to 31 630dcd29
// 66c43366 ...
TEST(Record, SeedAndIdentityAreTheSha256OfExactlyTheSecret) {
  const Record zeros(record::Secret{});
  EXPECT_EQ(zeros.seed, 0x66687aadf862bd77u);
  EXPECT_EQ(zeros.expedition_id(),
            "66687aadf862bd776c8fc18b8e9f8e20089714856ee233b3902a591d0d5f2925");

  const Record counting(counting_secret());
  EXPECT_EQ(counting.seed, 0x630dcd2966c43366u);
  EXPECT_EQ(counting.expedition_id(),
            "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd");

  EXPECT_EQ(Record::practice(0x630dcd2966c43366u).expedition_id(), std::nullopt);
}

TEST(Record, HexWritesTwoLowercaseDigitsPerByte) {
  const std::vector<std::uint8_t> bytes = {0, 15, 16, 255};
  EXPECT_EQ(record::hex(bytes), "000f10ff");
  EXPECT_EQ(record::hex({}), "");
}

// A normal record whose seed no longer follows from its secret replays as practice once
// the secret is gone.
TEST(Record, PracticeRecordsReplayToTheFreshExpedition) {
  Record altered(counting_secret());
  altered.seed ^= 1;
  altered.secret.reset();
  for (const Record& record :
       {Record::practice(0), Record::practice(7), Record::practice(~0ull), altered}) {
    EXPECT_EQ(record.replay(), Expedition(record.seed)) << record.seed;
  }
}

TEST(Record, ReplayFollowsTheActions) {
  Record record = Record::practice(0);
  record.actions = {kNorth};
  const auto expedition = record.replay();
  ASSERT_TRUE(expedition) << expedition.error();
  EXPECT_EQ(expedition->x, 2);
  EXPECT_EQ(expedition->y, 1);
  EXPECT_EQ(expedition->turns, 1u);

  record.actions.assign(512, kWait);
  record.finished = true;
  const auto full = record.replay();
  ASSERT_TRUE(full) << full.error();
  EXPECT_EQ(full->turns, 512u);
}

TEST(Record, ReplayRefusesInvalidRecordsAtTheFirstFailingStep) {
  struct Case {
    const char* name;
    std::function<void(Record&)> change;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"format 2 is checked before hashing",
       [](Record& r) {
         r.format_version = 2;
         r.seed ^= 1;
       },
       "Unsupported save or rules version; this save was not changed."},
      {"rules 3", [](Record& r) { r.rules_version = 3; },
       "Unsupported save or rules version; this save was not changed."},
      {"one seed bit altered", [](Record& r) { r.seed ^= 1; },
       "The expedition secret does not match its seed."},
      {"513 actions", [](Record& r) { r.actions.assign(513, kWait); },
       "The save exceeds the expedition action limit."},
      {"code 0 at step 2",
       [](Record& r) {
         r.actions = {kNorth, 0};
       },
       "Unknown saved action at step 2."},
      {"code 12 at step 1", [](Record& r) { r.actions = {12}; }, "Unknown saved action at step 1."},
      {"code 255 at step 3",
       [](Record& r) {
         r.actions = {kWait, kWait, 255};
       },
       "Unknown saved action at step 3."},
      {"north into the wall",
       [](Record& r) {
         r.seed = 0;
         r.secret.reset();
         r.actions = {kNorth, kNorth};
       },
       "Invalid saved action at step 2: The destination is blocked."},
  };
  for (const Case& test : cases) {
    Record record(counting_secret());
    test.change(record);
    const Record before = record;
    const auto result = record.replay();
    ASSERT_FALSE(result) << test.name;
    EXPECT_EQ(result.error(), test.message) << test.name;
    EXPECT_EQ(record, before) << test.name;
  }
}

// The fresh records pin every field that Record's constructors set.
TEST(RecordJson, PrettyRecordsMatchTheSaveFormat) {
  const std::string head = "{\n  \"format_version\": 1,\n  \"rules_version\": 2,\n";
  const std::string tail = "  \"actions\": [],\n  \"finished\": false\n}\n";
  std::string secret_lines;
  for (int byte = 0; byte < 32; ++byte)
    secret_lines += "    " + std::to_string(byte) + (byte < 31 ? ",\n" : "\n");
  Record practice = Record::practice(42);
  EXPECT_EQ(practice.to_pretty_json(), head + "  \"seed\": 42,\n  \"secret\": null,\n" + tail);
  Record normal(counting_secret());
  EXPECT_EQ(normal.to_pretty_json(), head + "  \"seed\": 7137586562153591654,\n  \"secret\": [\n" +
                                         secret_lines + "  ],\n" + tail);

  practice.actions = {4, 2, 11};
  EXPECT_EQ(practice.to_pretty_json(),
            "{\n"
            "  \"format_version\": 1,\n"
            "  \"rules_version\": 2,\n"
            "  \"seed\": 42,\n"
            "  \"secret\": null,\n"
            "  \"actions\": [\n"
            "    4,\n"
            "    2,\n"
            "    11\n"
            "  ],\n"
            "  \"finished\": false\n"
            "}\n");
  normal.seed = 18446744073709551615u;
  normal.finished = true;
  const std::string text = normal.to_pretty_json();
  EXPECT_NE(text.find("\n  \"seed\": 18446744073709551615,\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\n  \"finished\": true\n}\n")) << text;
}

TEST(RecordJson, WrittenRecordsReadBackEqual) {
  Record normal(counting_secret());
  normal.actions = {1, 0, 255, 11};
  normal.finished = true;
  Record practice = Record::practice(~std::uint64_t{0});
  practice.actions.assign(512, kWait);
  for (const Record& record : {normal, practice})
    EXPECT_EQ(Record::from_json(record.to_pretty_json()), record);
}

std::string object_with(std::string_view fields) {
  return "{\"format_version\":1,\"rules_version\":2," + std::string(fields) + "}";
}

std::string numbers(int count) {
  std::string list = "[";
  for (int index = 0; index < count; ++index) list += index == 0 ? "7" : ",7";
  return list + "]";
}

TEST(RecordJson, AcceptsTheOptionalSecretAndBothForms) {
  const auto practice = [](std::uint64_t seed, std::vector<std::uint8_t> actions, bool finished) {
    Record made = Record::practice(seed);
    made.actions = std::move(actions);
    made.finished = finished;
    return made;
  };
  Record sevens = practice(5, {}, false);
  sevens.secret.emplace().fill(7);
  const std::vector<std::pair<std::string, Record>> cases = {
      {object_with("\"seed\":5,\"actions\":[],\"finished\":false"), practice(5, {}, false)},
      {object_with("\"seed\":5,\"secret\":null,\"actions\":[3],\"finished\":true"),
       practice(5, {3}, true)},
      {object_with("\"seed\":5,\"secret\":" + numbers(32) + ",\"actions\":[],\"finished\":false"),
       sevens},
      {"[1, 2, 9, null, [0, 255], false]\n\n", practice(9, {0, 255}, false)},
      {"[1,2,5," + numbers(32) + ",[],false]", sevens},
      // Minus zero is the integer zero, which is not negative.
      {object_with("\"seed\":-0,\"actions\":[],\"finished\":false"), practice(0, {}, false)},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Record::from_json(text), expected) << text;
}

TEST(RecordJson, RefusesEverythingButTheExactShape) {
  const std::string unknown_suffix =
      ", expected one of `format_version`, `rules_version`, `seed`, `secret`, `actions`, "
      "`finished`";
  const std::string deep = std::string(10000, '[') + std::string(10000, ']');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {object_with("\"seed\":5,\"actions\":[],\"finished\":false,\"extra\":1"),
       "unknown field `extra`" + unknown_suffix + " at line 1 column 84"},
      {object_with("\"seed\":5,\"actions\":[],\"finished\":false,\"ex\\u001btra\":1"),
       "unknown field `ex\\u{1b}tra`" + unknown_suffix + " at line 1 column 90"},
      {object_with("\"actions\":[],\"finished\":false"),
       "missing field `seed` at line 1 column 68"},
      {"{\"format_version\":1,\n  \"rules_version\": 2\n}",
       "missing field `seed` at line 3 column 1"},
      {object_with("\"seed\":5,\"seed\":5,\"actions\":[],\"finished\":false"),
       "duplicate field `seed` at line 1 column 53"},
      {object_with("\"seed\":5,\"secret\":" + numbers(31) + ",\"actions\":[],\"finished\":false"),
       "invalid length 31, expected an array of length 32 at line 1 column 119"},
      {object_with("\"seed\":5,\"secret\":" + numbers(33) + ",\"actions\":[],\"finished\":false"),
       "invalid length 33, expected an array of length 32 at line 1 column 123"},
      {object_with("\"seed\":5,\"secret\":\"abc\""),
       "invalid type: string \"abc\", expected an array of length 32 at line 1 column 61"},
      {object_with("\"seed\":5,\"actions\":[256]"),
       "invalid value: integer `256`, expected u8 at line 1 column 61"},
      {object_with("\"seed\":-1"), "invalid value: integer `-1`, expected u64 at line 1 column 47"},
      {object_with("\"seed\":5,\"actions\":[1.0]"),
       "invalid type: floating point `1.0`, expected u8 at line 1 column 61"},
      {object_with("\"seed\":1e2"),
       "invalid type: floating point `1e2`, expected u64 at line 1 column 48"},
      {object_with("\"seed\":18446744073709551616"),
       "invalid value: integer `18446744073709551616`, expected u64 at line 1 column 65"},
      {object_with("\"seed\":-9223372036854775809"),
       "invalid value: integer `-9223372036854775809`, expected u64 at line 1 column 65"},
      {"{\"format_version\":4294967296}",
       "invalid value: integer `4294967296`, expected u32 at line 1 column 28"},
      {"{\"format_version\":1e999}", "number overflow parsing '1e999' at line 1 column 23"},
      {"{\"format_version\":true}",
       "invalid type: boolean `true`, expected u32 at line 1 column 22"},
      {object_with("\"seed\":\"\\u001b[31m\""),
       "invalid type: string \"\\u{1b}[31m\", expected u64 at line 1 column 57"},
      {object_with("\"seed\":5,\"actions\":{}"),
       "invalid type: map, expected a sequence at line 1 column 58"},
      {object_with("\"seed\":5,\"actions\":[[1]]"),
       "invalid type: sequence, expected u8 at line 1 column 59"},
      {object_with("\"seed\":5,\"actions\":[],\"finished\":null"),
       "invalid type: null, expected a boolean at line 1 column 75"},
      {std::string("123\0true", 8), "unexpected NUL byte at line 1 column 4"},
      {"\xEF\xBB\xBF" + object_with("\"seed\":5,\"actions\":[],\"finished\":false"),
       "unexpected byte order mark at line 1 column 1"},
      {deep, "invalid type: sequence, expected u32 at line 1 column 2"},
      {"[1,2,3,null,[],true," + deep + "]",
       "too many elements, expected struct Record with 6 elements at line 1 column 21"},
      {object_with("\"seed\":5,\"actions\":[],\"finished\":false") + "x",
       "parse error at line 1, column 78: syntax error while parsing value - invalid literal; last "
       "read: "
       "'\"finished\":false}x'; expected end of input"},
      {"[1,2,3,null,[]]",
       "invalid length 5, expected struct Record with 6 elements at line 1 column 15"},
      {"[1,2,3,null,\n[],\ntrue,{\"a\":[1]}]",
       "too many elements, expected struct Record with 6 elements at line 3 column 6"},
      {"[1,2,3,null,[],true,77,8]",
       "too many elements, expected struct Record with 6 elements at line 1 column 22"},
      {"[1,2,3,null,[1,\n2,\n-3]]", "invalid value: integer `-3`, expected u8 at line 3 column 2"},
      {"\"x\"", "invalid type: string \"x\", expected struct Record at line 1 column 3"},
      {"5", "invalid type: integer `5`, expected struct Record at line 1 column 1"},
      {"",
       "parse error at line 1, column 1: syntax error while parsing value - unexpected end of "
       "input; "
       "expected '[', '{', or a literal"},
  };
  for (const auto& [text, message] : cases) {
    const auto result = Record::from_json(text);
    ASSERT_FALSE(result) << text;
    EXPECT_EQ(result.error(), message) << text;
  }
}

// Damaged saves must come back as a record or an error, never as a crash; whatever is
// accepted must survive being written and read again.
TEST(RecordJson, SeededRandomDamageNeverBreaksTheReader) {
  Record source(counting_secret());
  source.actions = {1, 2, 3, 11, 9};
  const std::string pristine = source.to_pretty_json();
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> any_byte(0, 255);
  const std::string_view alphabet = "{}[],:\"-0123456789.eE truefalsnl\n\\";
  std::uniform_int_distribution<std::size_t> any_symbol(0, alphabet.size() - 1);
  int accepted = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text = pristine;
    const int changes = 1 + trial % 4;
    for (int change = 0; change < changes; ++change) {
      std::uniform_int_distribution<std::size_t> any_place(0, text.size() - 1);
      const std::size_t place = any_place(random);
      switch (random() % 3) {
        case 0:
          text[place] = static_cast<char>(any_byte(random));
          break;
        case 1:
          text[place] = alphabet[any_symbol(random)];
          break;
        default:
          text.erase(place, 1);
          break;
      }
    }
    const auto result = Record::from_json(text);
    if (result) {
      ++accepted;
      EXPECT_EQ(Record::from_json(result->to_pretty_json()), *result) << text;
    } else {
      EXPECT_FALSE(result.error().empty());
    }
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace burrowlight
