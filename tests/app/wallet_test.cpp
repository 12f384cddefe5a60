#include "app/wallet.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace burrowlight::app::wallet {
namespace {

constexpr std::string_view kPage = "<!doctype html><title>Handoff</title>";
const Response kPageResponse{"200 OK", kPage};
const Response kForbidden{"403 Forbidden", "Localhost Host header required."};
const Response kNotFound{"404 Not Found", "Not found."};

TEST(Wallet, TheHostHeaderMustNameThisServerThenTheRequestLineChoosesThePage) {
  const std::vector<std::pair<std::string, Response>> cases = {
      {"GET / HTTP/1.1\r\nHost: 127.0.0.1:8766\r\n\r\n", kPageResponse},
      {"GET /index.html HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kPageResponse},
      // The value is lowered, the name matched in any case, Unicode white space trimmed.
      {"GET / HTTP/1.1\r\nHost: LOCALHOST:8766\r\n\r\n", kPageResponse},
      {"GET / HTTP/1.1\r\nhOsT:localhost:8766\r\n\r\n", kPageResponse},
      {"GET / HTTP/1.1\r\nHost: \t\u00a0localhost:8766\u3000 \r\n\r\n", kPageResponse},
      {"GET / HTTP/1.1\r\nAccept: */*\r\nX-Host: evil:1\r\nHost: localhost:8766\r\n\r\nsome body",
       kPageResponse},
      {"GET / HTTP/1.1\r\nAccept: */*\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost: localhost:8766\r\nHost: localhost:8766\r\n\r\n", kForbidden},
      // Every piece after the request line is a candidate, the ones after the blank line too.
      {"GET / HTTP/1.1\r\nHost: localhost:8766\r\n\r\nHost: localhost:8766", kForbidden},
      {"GET / HTTP/1.1\r\nHost: localhost\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost: 127.0.0.1:8767\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost: example.com:8766\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost: [::1]:8766\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost : localhost:8766\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\n Host: localhost:8766\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\nHost: localhost:8766\n\n\r\n\r\n", kForbidden},
      {"GET / HTTP/1.1\r\nHost: localhost:8766\r\nX: \xff\r\n\r\n", kForbidden},
      // A wrong Host wins over a wrong request line.
      {"GET /x HTTP/1.1\r\nHost: evil:8766\r\n\r\n", kForbidden},
      {"GET /x HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
      {"GET /?a=1 HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
      {"POST / HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
      {"get / HTTP/1.1\r\nHost: localhost:8766\r\n\r\n", kNotFound},
      {"GET / HTTP/1.0\r\nHost: localhost:8766\r\n\r\n", kNotFound},
      {"GET / HTTP/1.1 \r\nHost: localhost:8766\r\n\r\n", kNotFound},
  };
  for (const auto& [received, expected] : cases) {
    EXPECT_EQ(response(received, kPage), expected) << testing::PrintToString(received);
  }
}

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
  const std::vector<std::pair<std::string, RequestState>> cases = {
      {"", RequestState::Incomplete},
      {"GET / HTTP/1.1\r\n\r", RequestState::Incomplete},
      {"GET / HTTP/1.1\r\n\r\n", RequestState::Complete},
      {"\r\n\r\nbody after the blank line", RequestState::Complete},
      {std::string(8191, 'a'), RequestState::Incomplete},
      {std::string(8192, 'a'), RequestState::TooLarge},
      {std::string(9000, 'a') + "\r\n\r\n", RequestState::Complete},
  };
  for (const auto& [received, expected] : cases) {
    EXPECT_EQ(request_state(received), expected) << received.size() << " bytes";
  }
}

TEST(Wallet, PageChecksTheOpeningAndTheSize) {
  const std::string handoff =
      "--wallet requires the public BurrowLight HTML handoff (at most 512 KiB)";
  const std::string prefix = "<!doctype html>";
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},
      {"<!doctype html", false},
      {prefix, true},
      {"<!DOCTYPE html><p>", false},
      {" <!doctype html>", false},
      {prefix + std::string(512 * 1024 - prefix.size(), 'x'), true},
      {prefix + std::string(512 * 1024 + 1 - prefix.size(), 'x'), false},
  };
  for (const auto& [page, accepted] : cases) {
    const auto checked = check_page(page);
    EXPECT_EQ(checked, accepted ? Result<void>() : std::unexpected(Error(handoff)))
        << page.size() << " bytes";
  }
}

TEST(Wallet, AMissingPageFileIsTheSystemErrorAndADirectoryNoPage) {
  auto page = read_page(std::string(BURROWLIGHT_SOURCE_DIR) + "/no such page.html");
  ASSERT_FALSE(page);
  EXPECT_EQ(page.error().text(), "No such file or directory (os error 2)");

  // Nothing but a regular file is read, so a directory is no page at all.
  auto directory = read_page(BURROWLIGHT_SOURCE_DIR);
  ASSERT_FALSE(directory);
  EXPECT_EQ(directory.error().text(),
            "--wallet requires the public BurrowLight HTML handoff (at most 512 KiB)");
}

// Hostile input: random mixtures of request fragments and raw bytes always get one of
// the three answers, and never the page without a Host line naming this server.
TEST(Wallet, RandomRequestsGetOneOfTheThreeAnswers) {
  const std::vector<std::string> fragments = {"GET / HTTP/1.1",
                                              "Host: localhost:8766",
                                              "host:127.0.0.1:8766",
                                              "Host: evil",
                                              "\r\n",
                                              "\r\n\r\n",
                                              ":",
                                              " ",
                                              "\xc3\xa9",
                                              "\xff",
                                              "\n",
                                              "\r"};
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
}  // namespace burrowlight::app::wallet
