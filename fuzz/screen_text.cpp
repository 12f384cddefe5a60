// Draws arbitrary bytes with the screen's text primitives at positions, widths and line
// counts taken from the input, on a small screen of a size taken from the input. Drawing
// clips and never fails, so nothing may crash, the grid keeps its size, and the frame
// bytes of any picture must be valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "base/utf8.hpp"
#include "fuzz_check.hpp"
#include "render/screen.hpp"

namespace {

// Takes the leading bytes of the input as parameters; missing bytes read as zero.
class Parameters {
 public:
  explicit Parameters(std::string_view& input) : input_(input) {}

  std::int32_t next32() {
    std::uint32_t value = 0;
    const std::size_t count = std::min<std::size_t>(sizeof value, input_.size());
    std::memcpy(&value, input_.data(), count);
    input_.remove_prefix(count);
    return static_cast<std::int32_t>(value);
  }
  std::uint8_t next8() {
    if (input_.empty()) return 0;
    const auto value = static_cast<std::uint8_t>(input_.front());
    input_.remove_prefix(1);
    return value;
  }

 private:
  std::string_view& input_;
};

// Near the screen most of the time, anywhere in the 32-bit range now and then.
std::int32_t coordinate(Parameters& parameters) {
  const std::int32_t raw = parameters.next32();
  return (raw & 1) != 0 ? raw : (raw >> 1) % 40;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  Parameters parameters(input);
  const std::uint8_t width = parameters.next8() % 48;
  const std::uint8_t height = parameters.next8() % 24;
  const std::uint8_t primitive = parameters.next8();
  const std::int32_t x = coordinate(parameters);
  const std::int32_t y = coordinate(parameters);
  const std::int32_t limit = coordinate(parameters);
  const std::int32_t lines = coordinate(parameters);
  const std::string_view text = input;

  render::Screen screen(width, height);
  switch (primitive % 4) {
    case 0:
      screen.text(x, y, text, render::kDefaultForeground);
      break;
    case 1:
      screen.clipped(x, y, limit, text, render::kDefaultForeground);
      break;
    case 2:
      screen.wrap(x, y, limit, lines, text, render::kDefaultForeground);
      break;
    default:
      screen.frame(x, y, limit, lines, text);
      break;
  }
  fuzz::check(screen.cells.size() == std::size_t{width} * height, "the grid changed its size");
  for (std::int32_t row = 0; row < screen.height; ++row) {
    fuzz::check(utf8::valid(screen.row_text(row)), "a row is not valid UTF-8");
  }
  fuzz::check(utf8::valid(render::frame_update(screen, std::nullopt)), "frame bytes are not UTF-8");
  return 0;
}
