#include "scenery/footprint_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace ostrevane::scenery {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Footprints of every shape the bake can meet and some it cannot: small and large rectangles
// over and around the landblock, points, edges on cell borders, negative zero, infinite
// extents, the empty footprint, half-empty ones and NaN bounds.
class FootprintSource {
 public:
  explicit FootprintSource(std::uint32_t seed) : random_(seed) {}

  Footprint next() {
    switch (pick(0, 11)) {
      case 0: return {kInf, kInf, -kInf, -kInf};                          // empty
      case 1: return {-kInf, coordinate(), kInf, coordinate() + size()};  // spans x
      case 2: return {coordinate(), -kInf, coordinate() + size(), kInf};  // spans y
      case 3: return {kInf, coordinate(), -kInf, coordinate() + size()};  // void in x
      case 4: return {-kInf, -kInf, kInf, kInf};                          // the whole plane
      case 5: return {-0.0f, -0.0f, 0.0f, 0.0f};
      case 6: {  // on cell borders
        const float x = 4.0f * static_cast<float>(pick(-2, 50));
        const float y = 4.0f * static_cast<float>(pick(-2, 50));
        return {x, y, x + 4.0f * static_cast<float>(pick(0, 2)), y};
      }
      case 7: return {kNaN, coordinate(), coordinate(), coordinate()};   // odd
      case 8: return {coordinate(), coordinate(), -kInf, coordinate()};  // inverted, not void
      default: {
        const float x = coordinate();
        const float y = coordinate();
        return {x, y, x + size(), y + size()};
      }
    }
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  float coordinate() { return std::uniform_real_distribution<float>(-40.0f, 240.0f)(random_); }
  float size() {
    return pick(0, 9) == 0 ? std::uniform_real_distribution<float>(0.0f, 400.0f)(random_)
                           : std::uniform_real_distribution<float>(0.0f, 3.0f)(random_);
  }

  std::mt19937 random_;
};

// The index against the plain scan, for sets below and far above the size where the grid is
// built: added in bulk or one by one, with the bake's rule (only what overlaps nothing is added)
// and without it.
TEST(FootprintIndex, AnswersAsThePlainScanDoes) {
  for (const bool only_disjoint : {false, true}) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (only_disjoint ? ", bake rule" : ""));
      FootprintSource source(seed);
      FootprintIndex index;
      std::vector<Footprint> all;
      for (int step = 0; step < 2000; ++step) {
        const Footprint query = source.next();
        const bool expected = overlaps_any(query, all);
        ASSERT_EQ(index.overlaps_any(query), expected)
            << step << ": " << query.min_x << " " << query.min_y << " " << query.max_x << " "
            << query.max_y;
        if (!only_disjoint || !expected) {
          index.add(query);
          all.push_back(query);
        }
      }
      ASSERT_GT(all.size(), 400u);  // far past the size where the grid takes over
      const FootprintIndex bulk(all);
      for (int step = 0; step < 300; ++step) {
        const Footprint query = source.next();
        ASSERT_EQ(bulk.overlaps_any(query), overlaps_any(query, all)) << step;
      }
    }
  }
}

TEST(FootprintIndex, EmptyIndexOverlapsNothing) {
  const FootprintIndex index;
  EXPECT_FALSE(index.overlaps_any({-kInf, -kInf, kInf, kInf}));
  EXPECT_EQ(index.size(), 0u);
}

}  // namespace
}  // namespace ostrevane::scenery
