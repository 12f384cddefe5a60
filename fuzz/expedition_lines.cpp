// Feeds arbitrary bytes as the standard input of the headless expedition, on a practice
// save in a private temporary directory. Every reply must be one JSON object on its own
// line, and whatever the input did, the save left behind must read, replay, and hold exactly
// what the last reply reported.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/expedition_loop.hpp"
#include "app/save.hpp"
#include "app/session.hpp"
#include "core/expedition_record.hpp"
#include "base/stream.hpp"
#include "fuzz_check.hpp"
#include "reply_lines.hpp"

namespace {

// Every input starts from the same practice expedition; seed 0 has a flask and a vein
// within two steps of the start, so short inputs already reach the interesting rules.
constexpr std::uint64_t kPracticeSeed = 0;

// The save directory lives as long as the process; memory-backed storage keeps the
// flush to disk after every accepted action cheap.
class SaveDirectory {
 public:
  SaveDirectory() {
    const bool in_memory = ::access("/dev/shm", W_OK) == 0;
    const std::filesystem::path base =
        in_memory ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::string pattern = (base / "burrowlight-fuzz-XXXXXX").string();
    burrowlight::fuzz::check(::mkdtemp(pattern.data()) != nullptr, "no temporary directory");
    directory_ = pattern;
  }
  ~SaveDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  SaveDirectory(const SaveDirectory&) = delete;
  SaveDirectory& operator=(const SaveDirectory&) = delete;

  std::string save_path() const { return (directory_ / "expedition.json").string(); }

 private:
  std::filesystem::path directory_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace burrowlight;
  static const SaveDirectory directory;
  const std::string path = directory.save_path();

  {
    const auto held = app::Save::lock(path);
    fuzz::check(held && held->write(Record::practice(kPracticeSeed)).has_value(),
                "the fresh practice save cannot be written");
  }
  auto session = app::open_session(path, false, std::nullopt);
  fuzz::check(session.has_value(), "the fresh practice save does not open");

  StringInput in(std::string(reinterpret_cast<const char*>(data), size));
  StringOutput out;
  const Result<void> ended = app::run_expedition(std::move(*session), in, out);
  if (!ended) fuzz::check_message(ended.error().text(), "expedition mode error");
  fuzz::check(!out.bytes().empty(), "the expedition wrote no first observation");
  fuzz::check_reply_lines(out.bytes());

  const auto saved = Record::from_json(read_file(path));
  fuzz::check(saved.has_value(), "the save left behind does not read");
  fuzz::check(saved->replay().has_value(), "the save left behind does not replay");
  // Replies are written only after the save, so the last one tells what the save holds.
  const auto last = fuzz::last_observation(out.bytes());
  fuzz::check(last.has_value(), "no observation among the replies");
  fuzz::check(last->turn == saved->actions.size(),
              "the save and the last reply disagree on the turn");
  fuzz::check(last->finished == saved->finished,
              "the save and the last reply disagree on the seal");
  return 0;
}
