// The fixed-seed generator. Only the engine's raw output is used (its sequence is fixed by the
// language), so the district is the same with every standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <utility>
#include <vector>

namespace ravadid::demo {

class Random {
 public:
  int below(std::size_t count) {
    return static_cast<int>(engine_() % static_cast<std::uint32_t>(count));
  }
  int between(int low, int high) { return low + below(static_cast<std::size_t>(high - low + 1)); }
  bool percent(int chance) { return below(100) < chance; }
  template <class T>
  const T& pick(std::span<const T> items) {
    return items[static_cast<std::size_t>(below(items.size()))];
  }
  template <class T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(below(items.size()))];
  }
  template <class T>
  void shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) {
      std::swap(items[i - 1], items[static_cast<std::size_t>(below(i))]);
    }
  }

 private:
  std::mt19937 engine_{20240917u};
};

// A choice and how often it is drawn, relative to the others.
struct Weighted {
  const char* value;
  int weight;
};

inline const char* pickWeighted(Random& random, const std::vector<Weighted>& choices) {
  int total = 0;
  for (const Weighted& choice : choices) total += choice.weight;
  int roll = random.below(static_cast<std::size_t>(total));
  for (const Weighted& choice : choices) {
    if (roll < choice.weight) return choice.value;
    roll -= choice.weight;
  }
  return choices.back().value;
}

}  // namespace ravadid::demo
