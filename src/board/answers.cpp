#include "board/answers.hpp"

#include <httplib.h>

#include <chrono>

#include "board/board_json.hpp"

namespace burrowlight::board {

namespace {

constexpr std::string_view kJson = "application/json";
// A body of at most 64 KiB that takes longer than this is trickled on purpose.
constexpr std::chrono::seconds kBodyDeadline{10};
constexpr std::string_view kUnavailable =
    "The board's database cannot answer now; nothing was changed. Try again later.";

}  // namespace

void answer(httplib::Response& response, int status, const std::string& json) {
  response.status = status;
  response.set_content(json, std::string(kJson).c_str());
}

void refuse(httplib::Response& response, const Refusal& refusal) {
  answer(response, refusal.status, error_json(refusal.sentence));
}

void refuse_and_close(httplib::Response& response, const Refusal& refusal) {
  response.set_header("Connection", "close");
  refuse(response, refusal);
}

void unavailable(httplib::Response& response) {
  refuse(response, {503, std::string(kUnavailable)});
}

std::optional<std::string_view> header(const httplib::Request& request, const char* name) {
  if (!request.has_header(name)) return std::nullopt;
  auto found = request.headers.find(name);
  return std::string_view(found->second);
}

std::optional<std::string_view> parameter(const httplib::Request& request, const char* name) {
  auto found = request.params.find(name);
  if (found == request.params.end()) return std::nullopt;
  return std::string_view(found->second);
}

std::expected<std::string, Refusal> read_body(const httplib::ContentReader& reader,
                                              std::size_t limit) {
  std::string body;
  const auto deadline = std::chrono::steady_clock::now() + kBodyDeadline;
  bool late = false;
  const bool whole = reader([&](const char* data, std::size_t length) {
    late = std::chrono::steady_clock::now() > deadline;
    if (late || body.size() + length > limit) return false;
    body.append(data, length);
    return true;
  });
  if (late) return std::unexpected(Refusal{408, "The body did not arrive within 10 seconds."});
  if (!whole) return std::unexpected(Refusal{400, "The body ended before its stated length."});
  return body;
}

}  // namespace burrowlight::board
