#include "headless/replies.hpp"

namespace burrowlight::headless {

using nlohmann::json;

json goodbye() { return {{"ok", true}, {"type", "goodbye"}}; }

json failure(json observation, std::string_view reason) {
  observation["ok"] = false;
  observation["error"] = reason;
  return observation;
}

json prototype_unknown_command(std::uint64_t turn) {
  return {{"error", kPrototypeUnknownCommand}, {"ok", false}, {"turn", turn}};
}

Result<std::string> encode(const json& value) {
  std::string line;
  try {
    line = value.dump();
  } catch (const json::exception& error) {
    return std::unexpected(Error(error.what()));
  }
  line.push_back('\n');
  return line;
}

}  // namespace burrowlight::headless
