// The session and application stores: values under keys that ignore letter case.
// Safe to use from several threads at once.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

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
  Store() = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // A key never set reads as Empty.
  Value get(std::string_view key) const;
  // The value as text: Empty reads "", other kinds as the runtime converts them (Null is "").
  std::string text(std::string_view key) const;
  void set(std::string_view key, Value value);
  void remove(std::string_view key);
  bool contains(std::string_view key) const;
  void clear();
  std::size_t size() const;
  // Calls f for each item under the store's lock; f must not use the store.
  void forEach(const std::function<void(const std::string&, const Value&)>& f) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Value, CaseInsensitiveHash, CaseInsensitiveEqual> items_;
};

}  // namespace ravadid
