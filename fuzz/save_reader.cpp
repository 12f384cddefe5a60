// Feeds arbitrary bytes to the save reader and replays whatever it accepts. A save is
// read from disk on every start, so no bytes may crash it, and every refusal must be
// one line that can be shown to the player.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/expedition_record.hpp"
#include "fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto record = Record::from_json(bytes);
  if (!record) {
    fuzz::check_message(record.error(), "save reader error");
    return 0;
  }
  // What was accepted must be written back as a save that reads as the same record.
  fuzz::check(Record::from_json(record->to_pretty_json()) == *record,
              "an accepted record does not survive being written and read again");
  const auto replayed = record->replay();
  if (!replayed) fuzz::check_message(replayed.error(), "replay error");
  return 0;
}
