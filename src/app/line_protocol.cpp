#include "app/line_protocol.hpp"

#include <array>

#include "base/utf8.hpp"

namespace burrowlight::app {

namespace {
constexpr std::size_t kReadChunk = 64 * 1024;
}

Result<std::optional<std::string>> LineReader::next() {
  while (true) {
    const std::size_t feed = buffer_.find('\n', scanned_);
    if (feed != std::string::npos || (at_end_ && start_ < buffer_.size())) {
      const bool has_feed = feed != std::string::npos;
      const std::size_t end = has_feed ? feed : buffer_.size();
      std::string line = buffer_.substr(start_, end - start_);
      start_ = has_feed ? end + 1 : end;
      scanned_ = start_;
      if (has_feed && !line.empty() && line.back() == '\r') line.pop_back();
      if (!utf8::valid(line)) return std::unexpected(Error("stream did not contain valid UTF-8"));
      return line;
    }
    if (at_end_) return std::nullopt;
    if (start_ > buffer_.size() - start_) {
      buffer_.erase(0, start_);
      start_ = 0;
    }
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

Result<void> send_reply(Output& out, std::string_view line) {
  if (auto written = out.write(line); !written) return written;
  return out.flush();
}

}  // namespace burrowlight::app
