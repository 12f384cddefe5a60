// The checks of a request that need no network and no database: body headers, names,
// bearer tokens, paging and the listen address.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "board/board.hpp"
#include "board/requests.hpp"

namespace burrowlight::board {
namespace {

const std::string kToken(64, 'a');

struct BodyCase {
  std::optional<std::string_view> type;
  std::optional<std::string_view> length;
  bool chunked;
  std::size_t limit;
  std::optional<int> status;
};

TEST(BoardRequests, BodyHeadersAreJudgedBeforeTheBody) {
  const BodyCase cases[] = {
      {"application/json", "10", false, 65536, std::nullopt},
      {"application/json; charset=utf-8", "65536", false, 65536, std::nullopt},
      {"application/json", "65537", false, 65536, 413},
      {"application/json", "1025", false, kPlayerBodyLimit, 413},
      {"application/json", "99999999999999999999999", false, 65536, 400},
      {"application/json", "-1", false, 65536, 400},
      {"application/json", std::nullopt, false, 65536, 411},
      {"application/json", "10", true, 65536, 411},
      {"text/plain", "10", false, 65536, 415},
      {std::nullopt, "10", false, 65536, 415},
      {"application/jsonx", "10", false, 65536, 415},
  };
  for (const BodyCase& body : cases) {
    const auto refusal = check_body_headers({body.type, body.length, body.chunked}, body.limit);
    EXPECT_EQ(refusal ? std::optional(refusal->status) : std::nullopt, body.status)
        << body.type.value_or("-") << " " << body.length.value_or("-");
  }
}

TEST(BoardRequests, NamesAreOneToThirtyTwoOfTheSafeSet) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {R"({"name":"Ann"})", "Ann"},
      {R"({"name":"a.b-c_d 9"})", "a.b-c_d 9"},
      {R"({"name":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"})", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
      {R"({"name":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"})", std::nullopt},
      {R"({"name":""})", std::nullopt},
      {R"({"name":"a "})", std::nullopt},
      {R"({"name":"<script>"})", std::nullopt},
      {R"({"name":"Zoë"})", std::nullopt},
      {R"({"name":"a\u0000b"})", std::nullopt},
      {R"({"name":["a"]})", std::nullopt},
      {R"({"Name":"a"})", std::nullopt},
      {R"(["a"])", std::nullopt},
      {"{\"name\":\"\xff\"}", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [body, name] : cases) {
    const auto found = player_name_of(body);
    EXPECT_EQ(found ? std::optional<std::string_view>(*found) : std::nullopt, name) << body;
    if (!found) {
      EXPECT_EQ(found.error().status, 400);
    }
  }
}

TEST(BoardRequests, BearerTokensAreSixtyFourLowercaseHexDigits) {
  const std::pair<std::optional<std::string>, bool> cases[] = {
      {"Bearer " + kToken, true},
      {std::nullopt, false},
      {"bearer " + kToken, false},
      {"Bearer " + kToken + "a", false},
      {"Bearer " + std::string(64, 'A'), false},
      {"Bearer  " + kToken, false},
      {"Basic " + kToken, false},
  };
  for (const auto& [header, taken] : cases) {
    const auto token = bearer_token(header ? std::optional<std::string_view>(*header) : std::nullopt);
    EXPECT_EQ(token.has_value(), taken) << header.value_or("(none)");
    if (token) {
      EXPECT_EQ(*token, kToken);
    } else {
      EXPECT_EQ(token.error().status, 401);
    }
  }
}

TEST(BoardRequests, PagingHasDefaultsAndBounds) {
  struct Case {
    std::optional<std::string_view> limit;
    std::optional<std::string_view> offset;
    std::optional<std::pair<std::int64_t, std::int64_t>> paging;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, std::pair<std::int64_t, std::int64_t>{50, 0}},
      {"1", "0", std::pair<std::int64_t, std::int64_t>{1, 0}},
      {"500", "1000000000", std::pair<std::int64_t, std::int64_t>{500, 1'000'000'000}},
      {"0", std::nullopt, std::nullopt},
      {"501", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"+1", std::nullopt, std::nullopt},
      {std::nullopt, "1000000001", std::nullopt},
      {std::nullopt, "-1", std::nullopt},
  };
  for (const Case& paging : cases) {
    const auto found = paging_of(paging.limit, paging.offset);
    EXPECT_EQ(found ? std::optional(std::pair(found->limit, found->offset)) : std::nullopt,
              paging.paging)
        << paging.limit.value_or("-") << " " << paging.offset.value_or("-");
  }
}

TEST(BoardRequests, SeedsAreUnsignedSixtyFourBitDecimalsAndDaysAreDates) {
  const std::pair<std::string_view, std::optional<std::uint64_t>> seeds[] = {
      {"0", 0u},
      {"18446744073709551615", 18446744073709551615u},
      {"18446744073709551616", std::nullopt},
      {"1e3", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [digits, seed] : seeds) {
    const auto found = seed_of(digits);
    EXPECT_EQ(found ? std::optional(*found) : std::nullopt, seed) << digits;
    if (!found) {
      EXPECT_EQ(found.error().status, 400) << digits;
    }
  }
  const std::pair<std::string_view, bool> days[] = {
      {"2026-12-09", true}, {"2026-13-01", false}, {"2026-12-9", false}, {"", false}};
  for (const auto& [text, valid] : days) {
    const auto found = day_of(text);
    EXPECT_EQ(found.has_value(), valid) << text;
    if (found) {
      EXPECT_EQ(*found, text);
    }
  }
}

TEST(BoardCommandLine, ListenAddressesAndOptions) {
  const std::pair<std::string_view, std::optional<std::pair<std::string, int>>> endpoints[] = {
      {"127.0.0.1:8780", std::pair<std::string, int>{"127.0.0.1", 8780}},
      {"localhost:0", std::pair<std::string, int>{"localhost", 0}},
      {"[::1]:65535", std::pair<std::string, int>{"::1", 65535}},
      {"127.0.0.1:65536", std::nullopt},
      {"127.0.0.1:", std::nullopt},
      {":80", std::nullopt},
      {"127.0.0.1", std::nullopt},
      {"127.0.0.1:8x", std::nullopt},
  };
  for (const auto& [text, expected] : endpoints) {
    const auto endpoint = endpoint_of(text);
    EXPECT_EQ(endpoint ? std::optional(std::pair(endpoint->host, endpoint->port)) : std::nullopt,
              expected)
        << text;
  }
  const auto options = scan_board_arguments({"--database", "postgresql://a:secret@h/db",
                                             "--clock-start", "2030-01-02T03:04:05Z"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->database->shown(), "postgresql://a@h/db");
  EXPECT_EQ(options->listen.port, 8780);
  EXPECT_EQ(scan_board_arguments({"save.json"}).error().text(),
            "unexpected argument \"save.json\"; use --help");
  EXPECT_EQ(scan_board_arguments({"--clock-start", "2030-01-02"}).error().text(),
            "--clock-start requires a time YYYY-MM-DDTHH:MM:SSZ");
}

TEST(BoardRequests, PageNumbersAndRunIdsAreWholeNumbersFromOne) {
  const std::pair<std::optional<std::string_view>, std::optional<std::int64_t>> pages[] = {
      {std::nullopt, 1}, {"1", 1}, {"2", 2}, {"1000000", 1000000}, {"1000001", std::nullopt},
      {"0", std::nullopt}, {"-1", std::nullopt}, {"", std::nullopt}, {"1x", std::nullopt},
      {" 1", std::nullopt}};
  for (const auto& [text, page] : pages) {
    const auto number = page_number_of(text);
    EXPECT_EQ(number ? std::optional(*number) : std::nullopt, page) << text.value_or("-");
  }
  const std::pair<std::string_view, std::optional<std::int64_t>> ids[] = {
      {"1", 1}, {"007", 7}, {"0", std::nullopt}, {"9223372036854775807", 9223372036854775807},
      {"9223372036854775808", std::nullopt}, {"", std::nullopt}, {"+1", std::nullopt}};
  for (const auto& [text, id] : ids) EXPECT_EQ(run_id(text), id) << text;
}

}  // namespace
}  // namespace burrowlight::board
