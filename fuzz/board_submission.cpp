// Feeds arbitrary bytes to the board's submission check, the whole of what the board does
// with a body before it touches the database: the save opener, then the sealed-run rule.
// A refusal is a client error with one line to show; an accepted run carries the figures
// of its own replay and the bytes it was given, unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/save.hpp"
#include "board/daily.hpp"
#include "board/submission.hpp"
#include "fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto checked = board::check_submission(bytes);
  if (!checked) {
    fuzz::check(checked.error().status == 400 || checked.error().status == 413,
                "a refused body is not a client error");
    fuzz::check_message(checked.error().sentence, "submission refusal");
    return 0;
  }
  fuzz::check(checked->save == bytes, "the stored bytes differ from the body");
  fuzz::check(checked->finished, "an unsealed run was accepted");
  fuzz::check(checked->content_hash == board::sha256_hex(bytes), "the run's key is not its hash");
  fuzz::check(checked->practice == !checked->expedition_id.has_value(),
              "a practice run has an identity, or a normal run none");
  const app::save::Inspection again = app::save::inspect(bytes);
  fuzz::check(again.run && again.run->expedition().score == checked->score &&
                  again.run->expedition().turns == checked->turns,
              "the figures are not the replay's");
  return 0;
}
