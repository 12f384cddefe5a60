#include "board/requests.hpp"

#include <charconv>
#include <limits>
#include <nlohmann/json.hpp>

#include "board/clock.hpp"

namespace burrowlight::board {

namespace {

constexpr std::size_t kTokenDigits = 64;

std::optional<std::uint64_t> decimal(std::string_view digits) {
  if (digits.empty() || digits.size() > 20) return std::nullopt;
  for (char digit : digits) {
    if (digit < '0' || digit > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

bool is_name_character(char character) {
  return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
         (character >= '0' && character <= '9') || character == ' ' || character == '.' ||
         character == '-' || character == '_';
}

Refusal bad_name() {
  return {400,
          "A name is 1 to 32 of the letters A-Z and a-z, the digits, space, \".\", \"-\" and "
          "\"_\", not starting or ending with a space."};
}

}  // namespace

std::optional<Refusal> check_body_headers(const BodyHeaders& headers, std::size_t limit) {
  const std::string_view type = headers.content_type.value_or("");
  const std::string_view media = type.substr(0, type.find(';'));
  if (media != "application/json") {
    return Refusal{415, "The body must be JSON, sent as Content-Type: application/json."};
  }
  if (headers.chunked || !headers.content_length) {
    return Refusal{411, "The body needs a Content-Length header; chunked bodies are not taken."};
  }
  const std::optional<std::uint64_t> length = decimal(*headers.content_length);
  if (!length) return Refusal{400, "The Content-Length header is not a number of bytes."};
  if (*length > limit) {
    return limit == kPlayerBodyLimit
               ? Refusal{413, "A new player's body is at most 1 KiB."}
               : Refusal{413, "A save is at most 64 KiB (65536 bytes); this body is larger."};
  }
  return std::nullopt;
}

std::expected<std::string, Refusal> player_name_of(std::string_view body) {
  const nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object() || parsed.size() != 1 ||
      !parsed.contains("name")) {
    return std::unexpected(Refusal{400, "The body must be the JSON object {\"name\": NAME}."});
  }
  const nlohmann::json& name = parsed.at("name");
  if (!name.is_string()) return std::unexpected(bad_name());
  const std::string& text = name.get_ref<const std::string&>();
  if (text.empty() || text.size() > kLongestName || text.front() == ' ' || text.back() == ' ') {
    return std::unexpected(bad_name());
  }
  for (char character : text) {
    if (!is_name_character(character)) return std::unexpected(bad_name());
  }
  return text;
}

std::expected<std::string, Refusal> bearer_token(std::optional<std::string_view> authorization) {
  if (!authorization) {
    return std::unexpected(
        Refusal{401, "A submission needs a player's token: Authorization: Bearer TOKEN."});
  }
  constexpr std::string_view kScheme = "Bearer ";
  const std::string_view value = *authorization;
  const std::string_view token =
      value.starts_with(kScheme) ? value.substr(kScheme.size()) : std::string_view();
  const bool well_formed = token.size() == kTokenDigits &&
                           token.find_first_not_of("0123456789abcdef") == std::string_view::npos;
  if (!well_formed) {
    return std::unexpected(Refusal{
        401, "The Authorization header must be \"Bearer\" and the 64-digit token of a player."});
  }
  return std::string(token);
}

std::expected<std::int64_t, Refusal> page_number_of(std::optional<std::string_view> page) {
  if (!page) return 1;
  const std::optional<std::uint64_t> value = decimal(*page);
  if (!value || *value < 1 || *value > 1'000'000) {
    return std::unexpected(Refusal{400, "page must be a whole number from 1 to 1000000."});
  }
  return static_cast<std::int64_t>(*value);
}

std::optional<std::int64_t> run_id(std::string_view digits) {
  const std::optional<std::uint64_t> value = decimal(digits);
  if (!value || *value < 1 ||
      *value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
    return std::nullopt;
  return static_cast<std::int64_t>(*value);
}

std::expected<Paging, Refusal> paging_of(std::optional<std::string_view> limit,
                                         std::optional<std::string_view> offset) {
  Paging paging{kDefaultLimit, 0};
  if (limit) {
    const std::optional<std::uint64_t> value = decimal(*limit);
    if (!value || *value < 1 || *value > static_cast<std::uint64_t>(kLargestLimit)) {
      return std::unexpected(Refusal{400, "limit must be a whole number from 1 to 500."});
    }
    paging.limit = static_cast<std::int64_t>(*value);
  }
  if (offset) {
    const std::optional<std::uint64_t> value = decimal(*offset);
    if (!value || *value > 1'000'000'000) {
      return std::unexpected(Refusal{400, "offset must be a whole number from 0 to 1000000000."});
    }
    paging.offset = static_cast<std::int64_t>(*value);
  }
  return paging;
}

std::expected<std::uint64_t, Refusal> seed_of(std::string_view digits) {
  const std::optional<std::uint64_t> seed = decimal(digits);
  if (!seed) {
    return std::unexpected(
        Refusal{400, "A seed is a whole number from 0 to 18446744073709551615."});
  }
  return *seed;
}

std::expected<std::string, Refusal> day_of(std::string_view text) {
  if (!day_start(text)) return std::unexpected(Refusal{400, "A day is written YYYY-MM-DD."});
  return std::string(text);
}

Refusal no_such_run() { return {404, "There is no run with this id."}; }

Refusal no_longer_replays() { return {500, "The stored run no longer replays."}; }

}  // namespace burrowlight::board
