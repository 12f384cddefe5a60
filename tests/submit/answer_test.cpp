// The board's address as given on the command line, the token's form, and the board's
// answers as the program reports them.

#include "submit/answer.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "submit/token.hpp"

namespace burrowlight::submit {
namespace {

TEST(SubmitAnswer, BoardAddressesAreASchemeAndAHostAlone) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"http://127.0.0.1:8780", "http://127.0.0.1:8780"},
      {"http://127.0.0.1:8780/", "http://127.0.0.1:8780"},
      {"https://board.example", "https://board.example"},
      {"http://[::1]:8780", "http://[::1]:8780"},
      {"127.0.0.1:8780", std::nullopt},
      {"ftp://board.example", std::nullopt},
      {"http://", std::nullopt},
      {"http://board.example/api/runs", std::nullopt},
      {"http://user@board.example", std::nullopt},
      {"http://board.example?x=1", std::nullopt},
      {"http://board example", std::nullopt},
  };
  for (const auto& [url, origin] : cases) {
    const auto found = board_origin(url);
    EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt,
              origin ? std::optional<std::string>(*origin) : std::nullopt)
        << url;
  }
}

TEST(SubmitAnswer, TokensAreSixtyFourLowercaseHexDigits) {
  const std::string token(64, 'a');
  const std::pair<std::string, bool> cases[] = {
      {token, true},
      {token + "\n", true},
      {token + "\n\n", false},
      {std::string(63, 'a'), false},
      {std::string(64, 'A'), false},
      {std::string(64, 'g'), false},
      {" " + token, false},
      {"", false},
  };
  for (const auto& [text, good] : cases) EXPECT_EQ(token_of(text).has_value(), good) << text;
}

TEST(SubmitAnswer, TheAnswerNamesEachRankAndThePage) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {R"({"id":7,"seed":5,"daily":null,"ranks":{"open":4}})",
       "Run 7 is on the board: rank 4 on the open board.\nhttp://b:1/runs/7\n"},
      {R"({"id":8,"seed":5,"daily":"2030-01-02","ranks":{"seed":2,"daily":1}})",
       "Run 8 is on the board: rank 2 on the board of seed 5, rank 1 on the daily board of "
       "2030-01-02.\nhttp://b:1/runs/8\n"},
      {R"({"id":9,"ranks":{}})", "Run 9 is on the board.\nhttp://b:1/runs/9\n"},
      {R"({"id":"9","ranks":{}})", std::nullopt},
      {R"({"ranks":{}})", std::nullopt},
      {"<html>", std::nullopt},
  };
  for (const auto& [body, text] : cases) {
    const auto found = accepted_text(body, "http://b:1");
    EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt,
              text ? std::optional<std::string>(*text) : std::nullopt)
        << body;
  }
}

TEST(SubmitAnswer, ARefusalIsOneLineWhateverTheBoardSent) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"({"error":"No player has this token."})",
       "the board refused the run (403): No player has this token."},
      {R"({"error":"a\nb\u001b[2J"})", "the board refused the run (403): a?b?[2J"},
      {"not json", "the board refused the run (403): (no reason given)"},
  };
  for (const auto& [body, line] : cases) EXPECT_EQ(refusal_error(403, body).text(), line);
}

}  // namespace
}  // namespace burrowlight::submit
