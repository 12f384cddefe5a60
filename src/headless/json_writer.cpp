#include "headless/json_writer.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "core/utf8.hpp"

namespace burrowlight::headless {

namespace {

// The escape of each byte below 0x20 and of the two that JSON reserves; empty for bytes
// that stand for themselves.
constexpr std::array<std::string_view, 0x60> kEscapes = [] {
  std::array<std::string_view, 0x60> escapes{};
  constexpr std::string_view kControls[0x20] = {
      "\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005", "\\u0006", "\\u0007",
      "\\b",     "\\t",     "\\n",     "\\u000b", "\\f",     "\\r",     "\\u000e", "\\u000f",
      "\\u0010", "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017",
      "\\u0018", "\\u0019", "\\u001a", "\\u001b", "\\u001c", "\\u001d", "\\u001e", "\\u001f",
  };
  for (std::size_t byte = 0; byte < 0x20; ++byte) escapes[byte] = kControls[byte];
  escapes['"'] = "\\\"";
  escapes['\\'] = "\\\\";
  return escapes;
}();

}  // namespace

void JsonWriter::string(std::string_view text) {
  raw('"');
  // Runs of plain bytes are copied whole; only an escaped byte breaks a run.
  std::size_t run_start = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    if (byte >= kEscapes.size() || kEscapes[byte].empty()) continue;
    raw(text.substr(run_start, index - run_start));
    raw(kEscapes[byte]);
    run_start = index + 1;
  }
  raw(text.substr(run_start));
  raw('"');
}

void JsonWriter::foreign_string(std::string_view bytes) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  static constexpr std::string_view kHexDigits = "0123456789abcdef";
  raw('"');
  std::size_t position = 0;
  while (position < bytes.size()) {
    const std::size_t start = position;
    const std::optional<char32_t> scalar = utf8::next(bytes, position);
    if (!scalar) {
      raw(kReplacement);
      ++position;
    } else if (*scalar < kEscapes.size() && !kEscapes[*scalar].empty()) {
      raw(kEscapes[*scalar]);
    } else if (*scalar >= 0x7F && *scalar <= 0x9F) {
      raw("\\u00");
      raw(kHexDigits[*scalar >> 4]);
      raw(kHexDigits[*scalar & 0x0F]);
    } else {
      raw(bytes.substr(start, position - start));
    }
  }
  raw('"');
}

void JsonWriter::grow(std::size_t needed) {
  const std::size_t capacity = std::max({needed, 2 * capacity_, std::size_t{4096}});
  auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
  bytes_ = std::move(bytes);
  capacity_ = capacity;
}

}  // namespace burrowlight::headless
