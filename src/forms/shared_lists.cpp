#include "forms/shared_lists.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace ravadid {
namespace {

using Entries = std::vector<std::string>;

std::size_t contentHash(const Entries& entries) {
  std::size_t hash = entries.size();
  for (const std::string& entry : entries) {
    // Mixing in each entry's own hash keeps {"ab", "c"} apart from {"a", "bc"}.
    hash ^=
        std::hash<std::string_view>{}(entry) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
  }
  return hash;
}

class ListPool {
 public:
  TextList intern(Entries entries) {
    const std::size_t hash = contentHash(entries);
    std::lock_guard lock(mutex_);
    auto [first, last] = lists_.equal_range(hash);
    for (auto it = first; it != last;) {
      if (TextList held = it->second.lock()) {
        if (*held == entries) return held;
        ++it;
      } else {
        it = lists_.erase(it);
      }
    }
    auto list = std::make_shared<const Entries>(std::move(entries));
    lists_.emplace(hash, list);
    sweepIfGrown();
    return list;
  }

  std::size_t liveCount() {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        lists_.begin(), lists_.end(), [](const auto& item) { return !item.second.expired(); }));
  }

 private:
  // Lists whose holders are all gone leave an expired slot behind; dropping them whenever the
  // pool has doubled since the last sweep keeps it in proportion to the lists in use.
  void sweepIfGrown() {
    if (lists_.size() < sweepAt_) return;
    std::erase_if(lists_, [](const auto& item) { return item.second.expired(); });
    sweepAt_ = std::max<std::size_t>(kMinimumSweep, 2 * lists_.size());
  }

  static constexpr std::size_t kMinimumSweep = 64;
  std::mutex mutex_;
  std::unordered_multimap<std::size_t, std::weak_ptr<const Entries>> lists_;
  std::size_t sweepAt_ = kMinimumSweep;
};

ListPool& pool() {
  static ListPool instance;
  return instance;
}

}  // namespace

TextList internList(std::vector<std::string> entries) {
  return pool().intern(std::move(entries));
}

std::size_t sharedListCount() {
  return pool().liveCount();
}

}  // namespace ravadid
