#pragma once
// A tiny seeded generator whose output depends only on integer arithmetic,
// so every build (64-bit, 32-bit, sanitizers) produces the same data.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kel::datagen {

class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // An independent stream for one part of the world, so that adding draws
  // to one part does not shift every value generated after it.
  SplitMix Fork(uint64_t salt) const {
    SplitMix mixer(state_ ^ (salt * 0xD1B54A32D192ED03ull));
    return SplitMix(mixer.Next());
  }

  // Uniform in [0, bound); bound must be positive. The modulo bias is far
  // below anything the generated data cares about.
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

  // Uniform in [low, high], both inclusive.
  uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }
  uint64_t Between64(uint64_t low, uint64_t high) { return low + Next() % (high - low + 1); }

  // True with probability numerator / denominator.
  bool Chance(uint32_t numerator, uint32_t denominator) { return Below(denominator) < numerator; }

  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<uint32_t>(N))];
  }

  template <typename T>
  void Shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) {
      std::size_t j = Below(static_cast<uint32_t>(i));
      std::swap(items[i - 1], items[j]);
    }
  }

 private:
  uint64_t state_;
};

}  // namespace kel::datagen
