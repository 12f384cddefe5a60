// Feeds arbitrary bytes as the standard input of the headless prototype. Whatever a
// driving program sends, each reply must be one JSON object on its own line, and a
// mode that ends with an error must say why in one line.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/prototype_loop.hpp"
#include "base/stream.hpp"
#include "fuzz_check.hpp"
#include "reply_lines.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  StringInput in(std::string(reinterpret_cast<const char*>(data), size));
  StringOutput out;
  const Result<void> ended = app::run_prototype(in, out);
  if (!ended) fuzz::check_message(ended.error().text(), "prototype mode error");
  fuzz::check(!out.bytes().empty(), "the prototype wrote no first observation");
  fuzz::check_reply_lines(out.bytes());
  return 0;
}
