#include "headless/json_writer.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "base/json_escapes.hpp"
#include "base/untrusted_text.hpp"

namespace burrowlight::headless {

void JsonWriter::string(std::string_view text) {
  raw('"');
  // Runs of plain bytes are copied whole; only an escaped byte breaks a run.
  std::size_t run_start = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    if (byte >= kJsonEscapes.size() || kJsonEscapes[byte].empty()) continue;
    raw(text.substr(run_start, index - run_start));
    raw(kJsonEscapes[byte]);
    run_start = index + 1;
  }
  raw(text.substr(run_start));
  raw('"');
}

void JsonWriter::foreign_string(std::string_view bytes) {
  raw('"');
  raw(escape_untrusted(bytes, Untrusted::Json));
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
