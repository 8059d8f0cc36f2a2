// Float-to-integer conversion that is defined for every input: NaN gives 0, values beyond the
// target's range give its minimum or maximum, everything else is truncated toward zero. A plain
// static_cast is undefined behaviour outside the range, and positions here can be anything.
#pragma once

#include <concepts>
#include <limits>

namespace ostrevane::scenery {

template <std::integral Int, std::floating_point Float>
constexpr Int saturating_cast(Float value) noexcept {
  // Both limits are exact in Float or round up to the next power of two; anything at or beyond
  // them truncates to the limit, anything strictly inside converts safely.
  constexpr Float kLow = static_cast<Float>(std::numeric_limits<Int>::min());
  constexpr Float kHigh = static_cast<Float>(std::numeric_limits<Int>::max());
  if (value != value) return 0;
  if (value <= kLow) return std::numeric_limits<Int>::min();
  if (value >= kHigh) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

}  // namespace ostrevane::scenery
