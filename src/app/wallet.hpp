#pragma once
// The local page server of "--wallet PAGE": it serves one public HTML handoff page on
// the loopback interface so that a browser wallet on the same machine can work with it,
// and never sees more of a visitor than the request headers.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::app::wallet {

inline constexpr std::uint16_t kPort = 8766;

// What one request gets. The views point into static texts or into the served page.
struct Response {
  std::string_view status;
  std::string_view body;

  bool operator==(const Response&) const = default;
};

// How far the bytes received on a connection have come.
enum class RequestState : std::uint8_t {
  Incomplete,  // no blank line yet; read on
  Complete,    // the blank line that ends the headers has arrived
  TooLarge,    // no blank line within the header limit
};

RequestState request_state(std::string_view received);

// The answer to everything received on a connection (headers, blank line and whatever
// followed): the Host header must name this server, then the request line chooses the page.
Response response(std::string_view received, std::string_view page);

// The whole response as sent: status line, the fixed headers, a blank line, the body.
std::string response_bytes(const Response& response);

// Refuses a file that cannot be the handoff page: too short, too large, or not opening
// with "<!doctype html>".
Result<void> check_page(std::string_view bytes);

// Reads and checks the page, as the server does once at start.
Result<std::string> read_page(const std::string& page_path);

// Serves the page until the process is stopped; returns only with an error, from the
// start or from accepting a connection.
Result<void> serve(const std::string& page_path);

}  // namespace burrowlight::app::wallet
