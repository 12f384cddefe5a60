#pragma once
// How the JSON addresses answer: a status with a JSON body, a refusal as {"error": ...},
// and the pieces of a request they read (a header, a query parameter, a bounded body).

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "board/submission.hpp"

namespace httplib {
class ContentReader;
struct Request;
struct Response;
}  // namespace httplib

namespace burrowlight::board {

void answer(httplib::Response& response, int status, const std::string& json);
void refuse(httplib::Response& response, const Refusal& refusal);
// For a refusal that leaves some of the body unread, which must not be taken for the
// next request.
void refuse_and_close(httplib::Response& response, const Refusal& refusal);
// The database could not answer (503).
void unavailable(httplib::Response& response);

std::optional<std::string_view> header(const httplib::Request& request, const char* name);
std::optional<std::string_view> parameter(const httplib::Request& request, const char* name);

// Reads a body whose length its headers stated, and which they kept within `limit`,
// giving up on a client that trickles it for longer than 10 seconds.
std::expected<std::string, Refusal> read_body(const httplib::ContentReader& reader,
                                              std::size_t limit);

}  // namespace burrowlight::board
