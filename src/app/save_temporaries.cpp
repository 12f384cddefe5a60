#include "app/save_temporaries.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/expedition_record.hpp"

namespace burrowlight::app::save {

namespace {

constexpr std::string_view kEnd = ".tmp";
constexpr std::size_t kSuffixDigits = 16;

// A hash of the save's file name rather than the name, so that the temporary name stays
// short whatever the save is called, and a fixed function (64-bit FNV-1a) so that a later
// process finds what an earlier one left.
std::string prefix_of(const std::string& path) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char byte : std::filesystem::path(path).filename().string()) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3u;
  }
  std::array<std::uint8_t, 8> bytes;
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    bytes[index] = static_cast<std::uint8_t>(hash >> (56 - 8 * index));
  }
  return ".burrowlight-" + record::hex(bytes) + "-";
}

bool is_temporary_of(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kSuffixDigits + kEnd.size()) return false;
  if (!name.starts_with(prefix) || !name.ends_with(kEnd)) return false;
  return std::ranges::all_of(name.substr(prefix.size(), kSuffixDigits), [](char digit) {
    return (digit >= '0' && digit <= '9') || (digit >= 'a' && digit <= 'f');
  });
}

}  // namespace

std::string temporary_name(const std::string& path, std::string_view suffix) {
  return prefix_of(path).append(suffix).append(kEnd);
}

void remove_stale_temporaries(const std::string& directory, const std::string& path) {
  const std::string prefix = prefix_of(path);
  std::error_code error;
  for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    if (is_temporary_of(entry->path().filename().string(), prefix)) {
      ::unlink(entry->path().c_str());
    }
  }
}

}  // namespace burrowlight::app::save
