#include "board/page_cache.hpp"

namespace burrowlight::board {

std::optional<std::string> PageCache::find(const std::string& key, std::uint64_t generation) {
  std::lock_guard lock(mutex_);
  auto found = pages_.find(key);
  if (found == pages_.end() || found->second.generation != generation) return std::nullopt;
  return found->second.page;
}

void PageCache::keep(const std::string& key, std::uint64_t generation, std::string page) {
  std::lock_guard lock(mutex_);
  if (pages_.size() >= kLargest && !pages_.contains(key)) pages_.clear();
  pages_.insert_or_assign(key, Kept{generation, std::move(page)});
}

}  // namespace burrowlight::board
