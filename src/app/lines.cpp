#include "app/lines.hpp"

#include <array>

#include "core/utf8.hpp"

namespace burrowlight {

namespace {
constexpr std::size_t kReadChunk = 64 * 1024;
}

Result<std::optional<std::string>> LineReader::next() {
  while (true) {
    std::size_t feed = buffer_.find('\n', scanned_);
    if (feed != std::string::npos || (at_end_ && !buffer_.empty())) {
      bool has_feed = feed != std::string::npos;
      std::size_t end = has_feed ? feed : buffer_.size();
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, has_feed ? end + 1 : end);
      scanned_ = 0;
      if (has_feed && !line.empty() && line.back() == '\r') line.pop_back();
      if (!utf8::valid(line)) return std::unexpected(Error("stream did not contain valid UTF-8"));
      return line;
    }
    if (at_end_) return std::nullopt;
    scanned_ = buffer_.size();
    std::array<char, kReadChunk> chunk;
    auto count = input_.read(chunk);
    if (!count) return std::unexpected(count.error());
    if (*count == 0) {
      at_end_ = true;
    } else {
      buffer_.append(chunk.data(), *count);
    }
  }
}

std::string normalize_command(std::string_view line) {
  std::string command(utf8::trim(line));
  for (char& byte : command) {
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
  }
  return command;
}

}  // namespace burrowlight
