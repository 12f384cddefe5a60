#pragma once
// Board pages as they were last written, kept until the next commit: the boards are read
// far more often than runs arrive, and a stored run never changes, so a page stays right
// until a commit adds a run. Only a board process that is the one writer of its
// database can know when that happens; the store says whether it is.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace burrowlight::board {

class PageCache {
 public:
  // The page written for `key` while the database was at `generation`, if any.
  std::optional<std::string> find(const std::string& key, std::uint64_t generation);
  void keep(const std::string& key, std::uint64_t generation, std::string page);

 private:
  // Every page is dropped when there are this many, so that a client asking for every
  // offset of every seed cannot make the cache grow without end.
  static constexpr std::size_t kLargest = 256;

  struct Kept {
    std::uint64_t generation;
    std::string page;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, Kept> pages_;
};

}  // namespace burrowlight::board
