// Feeds arbitrary bytes, cut into bursts with pauses taken from the input, to the
// terminal key decoder. Keys must never outnumber bytes, characters must be printable,
// a pause past the Escape time-out must settle everything, and how bytes are split into
// bursts must not matter as long as the pauses stay short.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "terminal/keys.hpp"

namespace {

using std::chrono::milliseconds;

struct Burst {
  std::string bytes;
  milliseconds pause;
};

// Each burst is one control byte, its low four bits the burst's length and its high
// four bits the pause before it in steps of 10 ms (0 to 150 ms), then the bytes.
std::vector<Burst> bursts_of(std::string_view input) {
  std::vector<Burst> bursts;
  while (!input.empty()) {
    const auto control = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    const std::size_t length = std::min<std::size_t>(control & 0x0f, input.size());
    bursts.push_back({std::string(input.substr(0, length)), milliseconds(10 * (control >> 4))});
    input.remove_prefix(length);
  }
  return bursts;
}

void check_keys(const std::vector<burrowlight::terminal::Key>& keys) {
  for (const burrowlight::terminal::Key& key : keys) {
    if (key.code == burrowlight::render::KeyCode::Character) {
      burrowlight::fuzz::check(key.character >= 0x20 && key.character <= 0x7e,
                               "a character key that cannot be printed");
    } else {
      burrowlight::fuzz::check(key.character == 0, "a named key carries a character");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  const std::vector<Burst> bursts =
      bursts_of(std::string_view(reinterpret_cast<const char*>(data), size));

  terminal::KeyDecoder decoder;
  std::size_t bytes_fed = 0;
  std::size_t keys_seen = 0;
  for (const Burst& burst : bursts) {
    const std::vector<terminal::Key> keys = decoder.decode(burst.bytes, burst.pause);
    check_keys(keys);
    bytes_fed += burst.bytes.size();
    keys_seen += keys.size();
    fuzz::check(keys_seen <= bytes_fed, "more keys than bytes");
  }
  const std::vector<terminal::Key> settled = decoder.decode({}, terminal::kEscapeTimeout);
  check_keys(settled);
  fuzz::check(!decoder.pending(), "still pending after the Escape time-out");
  fuzz::check(keys_seen + settled.size() <= bytes_fed, "more keys than bytes");

  // With every pause shorter than the time-out the bursts are one stream of bytes.
  terminal::KeyDecoder split;
  terminal::KeyDecoder whole;
  std::vector<terminal::Key> split_keys;
  std::string all_bytes;
  for (const Burst& burst : bursts) {
    const std::vector<terminal::Key> keys = split.decode(burst.bytes, milliseconds(1));
    split_keys.insert(split_keys.end(), keys.begin(), keys.end());
    all_bytes += burst.bytes;
  }
  fuzz::check(split_keys == whole.decode(all_bytes, milliseconds(1)),
              "splitting the bytes into bursts changed the keys");
  return 0;
}
