#pragma once
// The replies of both headless modes besides their observations, and the one encoding of
// every reply: compact JSON with the keys of every object in byte order, then a line feed.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/error.hpp"

namespace burrowlight::headless {

inline constexpr std::string_view kExpeditionUnknownCommand =
    "Unknown command. Use look, north, south, west, east, dig-north, dig-south, dig-west, "
    "dig-east, interact, portal, wait, save, finish, or quit.";
inline constexpr std::string_view kPrototypeUnknownCommand =
    "Unknown command. Use look, north, south, west, east, interact, wait, reset, or quit.";

// The reply to "quit" in both modes.
nlohmann::json goodbye();

// An expedition observation turned into the failure reply for `reason`.
nlohmann::json failure(nlohmann::json observation, std::string_view reason);

// The prototype's reply to a line that is no command.
nlohmann::json prototype_unknown_command(std::uint64_t turn);

// One reply line: `value` as compact JSON, then a line feed. A value that cannot be
// encoded (text that is not UTF-8) is an error.
Result<std::string> encode(const nlohmann::json& value);

}  // namespace burrowlight::headless
