#include "headless/commands.hpp"

#include "base/utf8.hpp"

namespace burrowlight::headless {

std::string normalize_command(std::string_view line) {
  std::string command(utf8::trim(line));
  for (char& byte : command) {
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
  }
  return command;
}

}  // namespace burrowlight::headless
