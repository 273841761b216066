#include "frame/store.h"

#include <algorithm>

#include "frame/runtime.h"

namespace ravadid {

std::size_t CaseInsensitiveHash::operator()(std::string_view s) const {
  // FNV-1a over the case-folded bytes, so that keys equal ignoring case hash alike. An ASCII
  // key folds byte by byte to lower case, without building the folded copy.
  auto fnv1a = [](std::string_view bytes, bool lowerAscii) {
    std::size_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
      h ^= lowerAscii && c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
      h *= 1099511628211ull;
    }
    return h;
  };
  bool ascii =
      std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? fnv1a(s, true) : fnv1a(vb::foldCase(s), false);
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const {
  return vb::equalsIgnoreCase(a, b);
}

Store::Store() : items_(std::make_shared<Items>()) {}

Store::Items& Store::writable() {
  // A count of one under the lock means no snapshot holds the items, nor can one take them.
  if (items_.use_count() > 1) items_ = std::make_shared<Items>(*items_);
  return *items_;
}

Value Store::get(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = items_->find(key);
  return it == items_->end() ? Value() : it->second;
}

std::string Store::text(std::string_view key) const {
  Value v = get(key);
  if (v.isEmpty() || v.isNull() || v.isList()) return {};
  return vb::CStr(v);
}

namespace {

template <typename Items>
void assign(Items& items, std::string_view key, Value value) {
  auto it = items.find(key);
  if (it == items.end()) {
    items.emplace(std::string(key), std::move(value));
  } else {
    it->second = std::move(value);
  }
}

}  // namespace

void Store::set(std::string_view key, Value value) {
  std::lock_guard lock(mutex_);
  assign(writable(), key, std::move(value));
}

void Store::setAll(std::vector<std::pair<std::string, Value>> items) {
  std::lock_guard lock(mutex_);
  Items& mine = writable();
  for (auto& [key, value] : items) assign(mine, key, std::move(value));
}

void Store::remove(std::string_view key) {
  std::lock_guard lock(mutex_);
  if (items_->find(key) == items_->end()) return;
  Items& mine = writable();
  mine.erase(mine.find(key));
}

bool Store::contains(std::string_view key) const {
  std::lock_guard lock(mutex_);
  return items_->find(key) != items_->end();
}

void Store::clear() {
  std::lock_guard lock(mutex_);
  if (items_.use_count() > 1) {
    items_ = std::make_shared<Items>();
  } else {
    items_->clear();
  }
}

std::size_t Store::size() const {
  std::lock_guard lock(mutex_);
  return items_->size();
}

void Store::forEach(const std::function<void(const std::string&, const Value&)>& f) const {
  std::lock_guard lock(mutex_);
  for (const auto& [k, v] : *items_) f(k, v);
}

Store Store::snapshot() const {
  std::lock_guard lock(mutex_);
  return Store(items_);
}

}  // namespace ravadid
