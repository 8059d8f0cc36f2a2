#include "scenery/saturating_cast.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace ostrevane::scenery {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

TEST(SaturatingCast, FloatToInt32) {
  struct Case {
    float value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {kNaN, 0},
      {-kNaN, 0},
      {0.0f, 0},
      {-0.0f, 0},
      {7.9f, 7},
      {-7.9f, -7},
      {kInf, kMax32},
      {-kInf, kMin32},
      {3e9f, kMax32},
      {-3e9f, kMin32},
      {2147483648.0f, kMax32},
      {-2147483648.0f, kMin32},
      {2147483520.0f, 2147483520},  // largest f32 below 2^31
  };
  for (const Case& c : cases) {
    EXPECT_EQ(saturating_cast<std::int32_t>(c.value), c.expected) << c.value;
  }
}

TEST(SaturatingCast, DoubleToUnsigned) {
  struct Case {
    double value;
    std::uint64_t expected;
  };
  const Case cases[] = {
      {static_cast<double>(kNaN), 0},
      {-0.5, 0},  // truncated toward zero
      {-1e300, 0},
      {2.99999, 2},
      {1e300, std::numeric_limits<std::uint64_t>::max()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(saturating_cast<std::uint64_t>(c.value), c.expected) << c.value;
  }
  EXPECT_EQ(saturating_cast<std::uint32_t>(4294967295.5), 4294967295u);
  EXPECT_EQ(saturating_cast<std::uint32_t>(4294967294.5), 4294967294u);
}

}  // namespace
}  // namespace ostrevane::scenery
