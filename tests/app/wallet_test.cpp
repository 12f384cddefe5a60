#include "app/wallet.hpp"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace burrowlight::wallet {
namespace {

constexpr std::string_view kPage = "<!doctype html><title>Handoff</title>";
const Response kPageResponse{"200 OK", kPage};
const Response kForbidden{"403 Forbidden", "Localhost Host header required."};
const Response kNotFound{"404 Not Found", "Not found."};

struct ResponseCase {
  std::string name;
  std::string received;
  Response expected;
};

class ResponseTest : public testing::TestWithParam<ResponseCase> {};

TEST_P(ResponseTest, AnswersTheRequest) {
  EXPECT_EQ(response(GetParam().received, kPage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Wallet, ResponseTest,
    testing::Values(
        ResponseCase{"Root", "GET / HTTP/1.1\r\nHost: 127.0.0.1:8766\r\n\r\n", kPageResponse},
        ResponseCase{"IndexHtml", "GET /index.html HTTP/1.1\r\nHost: localhost:8766\r\n\r\n",
                     kPageResponse},
        ResponseCase{"HostValueLowered", "GET / HTTP/1.1\r\nHost: LOCALHOST:8766\r\n\r\n",
                     kPageResponse},
        ResponseCase{"HostNameInAnyCase", "GET / HTTP/1.1\r\nhOsT:localhost:8766\r\n\r\n",
                     kPageResponse},
        ResponseCase{"UnicodeWhiteSpaceTrimmed",
                     "GET / HTTP/1.1\r\nHost: \t\u00a0localhost:8766\u3000 \r\n\r\n",
                     kPageResponse},
        ResponseCase{"OtherHeadersAndBodyIgnored",
                     "GET / HTTP/1.1\r\nAccept: */*\r\nX-Host: evil:1\r\nHost: localhost:8766\r\n"
                     "\r\nsome body",
                     kPageResponse},
        ResponseCase{"NoHost", "GET / HTTP/1.1\r\nAccept: */*\r\n\r\n", kForbidden},
        ResponseCase{"TwoIdenticalHosts",
                     "GET / HTTP/1.1\r\nHost: localhost:8766\r\nHost: localhost:8766\r\n\r\n",
                     kForbidden},
        // Every piece after the request line is a candidate, the ones after the blank line too.
        ResponseCase{"HostInTheBody",
                     "GET / HTTP/1.1\r\nHost: localhost:8766\r\n\r\nHost: localhost:8766",
                     kForbidden},
        ResponseCase{"HostWithoutPort", "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n", kForbidden},
        ResponseCase{"OtherPort", "GET / HTTP/1.1\r\nHost: 127.0.0.1:8767\r\n\r\n", kForbidden},
        ResponseCase{"ForeignHost", "GET / HTTP/1.1\r\nHost: example.com:8766\r\n\r\n",
                     kForbidden},
        ResponseCase{"Ipv6Host", "GET / HTTP/1.1\r\nHost: [::1]:8766\r\n\r\n", kForbidden},
        ResponseCase{"BlankBeforeColon", "GET / HTTP/1.1\r\nHost : localhost:8766\r\n\r\n",
                     kForbidden},
        ResponseCase{"BlankBeforeName", "GET / HTTP/1.1\r\n Host: localhost:8766\r\n\r\n",
                     kForbidden},
        ResponseCase{"BareLineFeeds", "GET / HTTP/1.1\nHost: localhost:8766\n\n\r\n\r\n",
                     kForbidden},
        ResponseCase{"InvalidUtf8", "GET / HTTP/1.1\r\nHost: localhost:8766\r\nX: \xff\r\n\r\n",
                     kForbidden},
        // A wrong Host wins over a wrong request line.
        ResponseCase{"ForeignHostAndPath", "GET /x HTTP/1.1\r\nHost: evil:8766\r\n\r\n",
                     kForbidden},
        ResponseCase{"OtherPath", "GET /x HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
        ResponseCase{"QueryString", "GET /?a=1 HTTP/1.1\r\nHost: localhost:8766\r\n\r\n",
                     kNotFound},
        ResponseCase{"OtherMethod", "POST / HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
        ResponseCase{"LowerCaseMethod", "get / HTTP/1.1\r\nHost: localhost:8766\r\n\r\n",
                     kNotFound},
        ResponseCase{"OtherVersion", "GET / HTTP/1.0\r\nHost: localhost:8766\r\n\r\n", kNotFound},
        ResponseCase{"TrailingBlank", "GET / HTTP/1.1 \r\nHost: localhost:8766\r\n\r\n",
                     kNotFound}),
    [](const testing::TestParamInfo<ResponseCase>& param_info) { return param_info.param.name; });

TEST(Wallet, ResponseBytesCarryTheFixedHeadersInOrder) {
  EXPECT_EQ(response_bytes(kNotFound),
            "HTTP/1.1 404 Not Found\r\n"
            "Content-Type: text/html; charset=utf-8\r\n"
            "Content-Length: 10\r\n"
            "Cache-Control: no-store\r\n"
            "X-Content-Type-Options: nosniff\r\n"
            "Content-Security-Policy: base-uri 'none'; frame-ancestors 'none'\r\n"
            "Referrer-Policy: no-referrer\r\n"
            "Connection: close\r\n"
            "\r\n"
            "Not found.");
  std::string page_bytes = response_bytes(kPageResponse);
  EXPECT_TRUE(page_bytes.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_NE(page_bytes.find("\r\nContent-Length: 37\r\n"), std::string::npos);
  EXPECT_TRUE(page_bytes.ends_with("\r\n\r\n" + std::string(kPage)));
}

TEST(Wallet, RequestStateFollowsTheBlankLineAndTheHeaderLimit) {
  struct Case {
    std::string received;
    RequestState expected;
  };
  const std::vector<Case> cases = {
      {"", RequestState::Incomplete},
      {"GET / HTTP/1.1\r\n\r", RequestState::Incomplete},
      {"GET / HTTP/1.1\r\n\r\n", RequestState::Complete},
      {"\r\n\r\nbody after the blank line", RequestState::Complete},
      {std::string(8191, 'a'), RequestState::Incomplete},
      {std::string(8192, 'a'), RequestState::TooLarge},
      {std::string(9000, 'a') + "\r\n\r\n", RequestState::Complete},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(request_state(c.received), c.expected) << c.received.size() << " bytes";
  }
}

TEST(Wallet, PageChecksTheOpeningAndTheSize) {
  const std::string handoff = "--wallet requires the public BurrowLight HTML handoff (at most 512 KiB)";
  const std::string prefix = "<!doctype html>";
  struct Case {
    std::string page;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {"", false},
      {"<!doctype html", false},
      {prefix, true},
      {"<!DOCTYPE html><p>", false},
      {" <!doctype html>", false},
      {prefix + std::string(512 * 1024 - prefix.size(), 'x'), true},
      {prefix + std::string(512 * 1024 + 1 - prefix.size(), 'x'), false},
  };
  for (const Case& c : cases) {
    auto checked = check_page(c.page);
    EXPECT_EQ(checked.has_value(), c.accepted) << c.page.size() << " bytes";
    if (!checked) {
      EXPECT_EQ(checked.error().text(), handoff);
    }
  }
}

TEST(Wallet, AMissingPageFileIsTheSystemError) {
  auto page = read_page(std::string(BURROWLIGHT_SOURCE_DIR) + "/no such page.html");
  ASSERT_FALSE(page);
  EXPECT_EQ(page.error().text(), "No such file or directory (os error 2)");

  auto directory = read_page(BURROWLIGHT_SOURCE_DIR);
  ASSERT_FALSE(directory);
  EXPECT_EQ(directory.error().text(), "Is a directory (os error 21)");
}

// Hostile input: random mixtures of request fragments and raw bytes always get one of
// the three answers, and never the page without a Host line naming this server.
TEST(Wallet, RandomRequestsGetOneOfTheThreeAnswers) {
  const std::vector<std::string> fragments = {
      "GET / HTTP/1.1", "Host: localhost:8766", "host:127.0.0.1:8766", "Host: evil", "\r\n",
      "\r\n\r\n",       ":",                    " ",                   "\xc3\xa9",   "\xff",
      "\n",             "\r"};
  std::mt19937_64 random(20240611);
  for (int round = 0; round < 20000; ++round) {
    std::string received;
    int pieces = static_cast<int>(random() % 12);
    for (int piece = 0; piece < pieces; ++piece) {
      if (random() % 4 == 0) {
        received.push_back(static_cast<char>(random() % 256));
      } else {
        received += fragments[random() % fragments.size()];
      }
    }
    Response answer = response(received, kPage);
    bool known = answer == kPageResponse || answer == kForbidden || answer == kNotFound;
    ASSERT_TRUE(known) << received;
    if (answer == kPageResponse) {
      ASSERT_TRUE(received.starts_with("GET / HTTP/1.1\r\n")) << received;
    }
  }
}

}  // namespace
}  // namespace burrowlight::wallet
