#include "app/wallet.hpp"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <optional>

#include "base/utf8.hpp"
#include "sys/io.hpp"
#include "sys/socket.hpp"

namespace burrowlight::app::wallet {

namespace {

constexpr std::string_view kPagePrefix = "<!doctype html>";
constexpr std::size_t kLargestPage = 512 * 1024;
constexpr std::size_t kReadChunk = 1024;
constexpr std::size_t kHeaderLimit = 8 * 1024;
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLineEnd = "\r\n";

// Every blocking read or write on a connection may wait this long.
constexpr std::chrono::milliseconds kTimeOut = std::chrono::seconds(2);

// The socket time-outs restart with every byte, so on their own they would let a client
// that trickles one byte of its headers every 1.9 seconds hold this one-at-a-time server
// for hours. The whole header block must therefore arrive within one time-out of the
// accept, and the whole response must leave within one time-out of its first byte: a
// slow client then holds the next one back for at most two seconds of reading and two of
// writing. A browser on the same machine sends its headers and reads the response in
// milliseconds, so no well-behaved client comes near either limit.
constexpr std::chrono::milliseconds kRequestDeadline = kTimeOut;
constexpr std::chrono::milliseconds kResponseDeadline = kTimeOut;

constexpr std::string_view kOk = "200 OK";
constexpr std::string_view kForbidden = "403 Forbidden";
constexpr std::string_view kNotFound = "404 Not Found";
constexpr std::string_view kForbiddenBody = "Localhost Host header required.";
constexpr std::string_view kNotFoundBody = "Not found.";

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ascii_lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = ascii_lower(c);
  return lowered;
}

// The value of a Host header line, or nothing for any other line. The name must be
// exactly "host" in any case, with nothing between it and the first colon.
std::optional<std::string> host_value(std::string_view line) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || ascii_lowered(line.substr(0, colon)) != "host") {
    return std::nullopt;
  }
  return ascii_lowered(utf8::trim(line.substr(colon + 1)));
}

std::string with_port(std::string_view name) {
  std::string address(name);
  address.append(":").append(std::to_string(kPort));
  return address;
}

bool names_this_server(std::string_view host) {
  return host == with_port("127.0.0.1") || host == with_port("localhost");
}

// Everything received once the blank line that ends the headers is among it (with any
// bytes that came after it), or nothing when the peer closed the connection first.
Result<std::optional<std::string>> read_request(int connection) {
  auto deadline = sys::Clock::now() + kRequestDeadline;
  std::string received;
  std::array<char, kReadChunk> chunk;
  while (true) {
    auto count = sys::receive_before(connection, chunk, deadline);
    if (!count) return std::unexpected(count.error());
    if (*count == 0) return std::nullopt;
    received.append(chunk.data(), *count);
    switch (request_state(received)) {
      case RequestState::Complete:
        return received;
      case RequestState::TooLarge:
        return std::unexpected(Error("Wallet page request headers exceeded 8 KiB"));
      case RequestState::Incomplete:
        break;
    }
  }
}

Result<void> serve_connection(int connection, std::string_view page) {
  if (auto set = sys::set_time_outs(connection, kTimeOut); !set) return set;
  auto request = read_request(connection);
  if (!request) return std::unexpected(request.error());
  // A peer that hangs up before the blank line has asked for nothing.
  if (!*request) return {};
  std::string bytes = response_bytes(response(**request, page));
  return sys::send_all_before(connection, bytes, sys::Clock::now() + kResponseDeadline);
}

void report_connection_error(const Error& error) {
  std::string line = "Wallet page connection: " + error.text() + "\n";
  // The message is a courtesy to whoever watches the server; should standard error be
  // gone, the page is still worth serving.
  (void)sys::write_all(STDERR_FILENO, line);
}

}  // namespace

RequestState request_state(std::string_view received) {
  if (received.find(kHeaderEnd) != std::string_view::npos) return RequestState::Complete;
  if (received.size() >= kHeaderLimit) return RequestState::TooLarge;
  return RequestState::Incomplete;
}

Response response(std::string_view received, std::string_view page) {
  std::string_view text = utf8::valid(received) ? received : std::string_view();

  std::size_t line_end = text.find(kLineEnd);
  std::string_view request_line = text.substr(0, line_end);
  std::size_t host_count = 0;
  std::string host;
  while (line_end != std::string_view::npos) {
    std::size_t line_start = line_end + kLineEnd.size();
    line_end = text.find(kLineEnd, line_start);
    std::string_view line = text.substr(line_start, line_end - line_start);
    if (auto value = host_value(line)) {
      ++host_count;
      host = std::move(*value);
    }
  }

  // The Host check comes first, so a page request for a foreign name is still refused.
  if (host_count != 1 || !names_this_server(host)) return {kForbidden, kForbiddenBody};
  if (request_line == "GET / HTTP/1.1" || request_line == "GET /index.html HTTP/1.1") {
    return {kOk, page};
  }
  return {kNotFound, kNotFoundBody};
}

std::string response_bytes(const Response& response) {
  std::string bytes;
  bytes.reserve(512 + response.body.size());
  bytes.append("HTTP/1.1 ").append(response.status).append(kLineEnd);
  // The error bodies are plain sentences, but one content type keeps the headers fixed.
  bytes.append("Content-Type: text/html; charset=utf-8\r\n");
  bytes.append("Content-Length: ").append(std::to_string(response.body.size())).append(kLineEnd);
  bytes.append("Cache-Control: no-store\r\n");
  bytes.append("X-Content-Type-Options: nosniff\r\n");
  bytes.append("Content-Security-Policy: base-uri 'none'; frame-ancestors 'none'\r\n");
  bytes.append("Referrer-Policy: no-referrer\r\n");
  bytes.append("Connection: close\r\n");
  bytes.append(kLineEnd);
  bytes.append(response.body);
  return bytes;
}

// Also the answer for a path that names no regular file: no such thing is the handoff.
Error not_the_page() {
  return Error("--wallet requires the public BurrowLight HTML handoff (at most 512 KiB)");
}

Result<void> check_page(std::string_view bytes) {
  // A file shorter than the opening cannot start with it, so the prefix test is also
  // the lower size limit.
  if (bytes.size() > kLargestPage || !bytes.starts_with(kPagePrefix)) {
    return std::unexpected(not_the_page());
  }
  return {};
}

Result<std::string> read_page(const std::string& page_path) {
  auto bytes = sys::read_file_start(page_path, kLargestPage, not_the_page());
  if (!bytes) return std::unexpected(bytes.error());
  if (auto checked = check_page(*bytes); !checked) return std::unexpected(checked.error());
  return bytes;
}

Result<void> serve(const std::string& page_path) {
  auto page = read_page(page_path);
  if (!page) return std::unexpected(page.error());
  auto listener = sys::listen_on_loopback(kPort);
  if (!listener) return std::unexpected(listener.error());

  std::string start_lines = "BurrowLight wallet page: http://";
  start_lines.append(with_port("127.0.0.1"))
      .append(
          "\nLocal public page only. Signing stays in your browser wallet. "
          "Ctrl+C stops this page.\n");
  if (auto written = sys::write_all(STDOUT_FILENO, start_lines); !written) return written;

  // One connection at a time: the next waits in the listen queue until this one is done.
  while (true) {
    auto connection = sys::accept_connection(listener->get());
    if (!connection) return std::unexpected(connection.error());
    if (auto served = serve_connection(connection->get(), *page);
        !served && !sys::is_peer_gone_or_slow(served.error())) {
      report_connection_error(served.error());
    }
  }
}

}  // namespace burrowlight::app::wallet
