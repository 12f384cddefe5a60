// Feeds arbitrary bytes to the page server's request reader as everything received on a
// connection. The answer must always be one of the three fixed responses, the page only
// for a proper request, and nothing of the request may be echoed back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/wallet.hpp"
#include "fuzz_check.hpp"

namespace {

constexpr std::string_view kPage = "<!doctype html>\n<title>Fuzz handoff</title>\n<p>page</p>\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  const std::string_view received(reinterpret_cast<const char*>(data), size);

  const app::wallet::RequestState state = app::wallet::request_state(received);
  const bool complete = received.find("\r\n\r\n") != std::string_view::npos;
  fuzz::check(complete == (state == app::wallet::RequestState::Complete),
              "the request state disagrees with the blank line");

  const app::wallet::Response response = app::wallet::response(received, kPage);
  const bool page = response.status == "200 OK" && response.body == kPage;
  const bool forbidden =
      response.status == "403 Forbidden" && response.body == "Localhost Host header required.";
  const bool missing = response.status == "404 Not Found" && response.body == "Not found.";
  fuzz::check(page || forbidden || missing, "a response that is none of the three");
  if (page) {
    fuzz::check(received.starts_with("GET / HTTP/1.1\r\n") ||
                    received.starts_with("GET /index.html HTTP/1.1\r\n"),
                "the page was served for another request line");
  }

  const std::string bytes = app::wallet::response_bytes(response);
  const std::string status_line = "HTTP/1.1 " + std::string(response.status) + "\r\n";
  fuzz::check(bytes.starts_with(status_line), "the response does not open with its status");
  const std::size_t header_end = bytes.find("\r\n\r\n");
  fuzz::check(header_end != std::string::npos, "the response headers do not end");
  fuzz::check(std::string_view(bytes).substr(header_end + 4) == response.body,
              "the response body is not what follows the headers");
  fuzz::check(app::wallet::response_bytes(app::wallet::response(received, kPage)) == bytes,
              "the same request got two different responses");
  return 0;
}
