// The session and application stores: values under keys that ignore letter case.
// Safe to use from several threads at once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frame/value.h"

namespace ravadid {

struct CaseInsensitiveHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const;
};
struct CaseInsensitiveEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class Store {
 public:
  Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // A key never set reads as Empty.
  Value get(std::string_view key) const;
  // The value as text: Empty reads "", other kinds as the runtime converts them (Null is "").
  std::string text(std::string_view key) const;
  void set(std::string_view key, Value value);
  // Sets every item under one lock: a reader sees all of them or none.
  void setAll(std::vector<std::pair<std::string, Value>> items);
  void remove(std::string_view key);
  bool contains(std::string_view key) const;
  void clear();
  std::size_t size() const;
  // Calls f for each item under the store's lock; f must not use the store.
  void forEach(const std::function<void(const std::string&, const Value&)>& f) const;
  // The items as they are now, as a store of their own: later writes to either store do not
  // reach the other. Taking one costs no copy; the first write after it copies the items.
  Store snapshot() const;

 private:
  using Items = std::unordered_map<std::string, Value, CaseInsensitiveHash, CaseInsensitiveEqual>;
  explicit Store(std::shared_ptr<Items> items) : items_(std::move(items)) {}
  // Callers hold mutex_. The items, copied first while a snapshot shares them.
  Items& writable();

  mutable std::mutex mutex_;
  std::shared_ptr<Items> items_;
};

}  // namespace ravadid
