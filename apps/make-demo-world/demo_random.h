// The generator behind the demo world: a small, fast sequence fixed by its seed.
#pragma once

#include <cmath>
#include <cstdint>

#include "math/quaternion.h"

namespace ostrevane::demo {

// splitmix64: a small, fast generator whose sequence is fixed by the seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi].
  std::uint32_t range(std::uint32_t lo, std::uint32_t hi) {
    return lo + static_cast<std::uint32_t>(next() % (std::uint64_t{hi} - lo + 1));
  }
  // Uniform in [lo, hi), rounded to 1/256 so the stored values are short decimals.
  float real(float lo, float hi) {
    const double unit = static_cast<double>(next() >> 11) / 9007199254740992.0;
    return std::round(static_cast<float>(lo + (hi - lo) * unit) * 256.0f) / 256.0f;
  }
  bool chance(double p) { return static_cast<double>(next() >> 11) / 9007199254740992.0 < p; }

 private:
  std::uint64_t state_;
};

// A turn about the vertical axis.
inline math::Quaternion heading_quaternion(float heading) {
  return {std::cos(heading / 2), 0.0f, 0.0f, std::sin(heading / 2)};
}

}  // namespace ostrevane::demo
