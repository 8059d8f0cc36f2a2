#include "scenery/footprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace ostrevane::scenery {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

dat::Frame frame_at(float x, float y, math::Quaternion orientation) {
  dat::Frame frame;
  frame.origin = {x, y, 7.0f};
  frame.orientation = orientation;
  return frame;
}

TEST(Footprint, EmptyGrowsToItsPointsAndOverlapsNothing) {
  Footprint footprint;
  EXPECT_EQ(footprint, (Footprint{kInf, kInf, -kInf, -kInf}));
  const Footprint huge{-3e38f, -3e38f, 3e38f, 3e38f};
  EXPECT_FALSE(overlaps(footprint, huge));
  EXPECT_FALSE(overlaps(huge, footprint));
  EXPECT_FALSE(overlaps(footprint, footprint));

  footprint.include(3, -2);
  EXPECT_EQ(footprint, (Footprint{3, -2, 3, -2}));
  footprint.include(kNaN, 10);  // a NaN coordinate moves nothing on its axis
  footprint.include(-1, kNaN);
  EXPECT_EQ(footprint, (Footprint{-1, -2, 3, 10}));
}

TEST(Footprint, TouchingOverlaps) {
  const Footprint a{0, 0, 10, 10};
  const float above = std::nextafter(10.0f, kInf);
  const float below = std::nextafter(0.0f, -kInf);
  struct Case {
    Footprint b;
    bool overlap;
  };
  const Case cases[] = {
      {{10, 0, 20, 10}, true},           // shares the right edge
      {{-10, 0, 0, 10}, true},           // shares the left edge
      {{0, 10, 10, 20}, true},           // shares the top edge
      {{0, -10, 10, 0}, true},           // shares the bottom edge
      {{10, 10, 20, 20}, true},          // shares one corner
      {{2, 2, 3, 3}, true},              // inside
      {{-5, -5, 15, 15}, true},          // around
      {{5, 5, 5, 5}, true},              // a single point inside
      {{above, 0, 20, 10}, false},       // just right of it
      {{-10, 0, below, 10}, false},      // just left of it
      {{0, above, 10, 20}, false},       // just above
      {{0, -10, 10, below}, false},      // just below
      {{11, 11, 20, 20}, false},         // diagonal neighbour
      {{kNaN, kNaN, kNaN, kNaN}, true},  // NaN bounds separate nothing
      {{-kInf, -kInf, kInf, kInf}, true},
      {{-kInf, kInf, kInf, kInf}, false},
  };
  const Footprint far{1000, 1000, 1001, 1001};
  for (const Case& c : cases) {
    EXPECT_EQ(overlaps(a, c.b), c.overlap) << c.b.min_x << "," << c.b.min_y;
    EXPECT_EQ(overlaps(c.b, a), c.overlap) << c.b.min_x << "," << c.b.min_y;
    // the list scan finds the pair wherever it stands
    const std::vector<Footprint> list = {far, far, far, c.b, far};
    EXPECT_EQ(overlaps_any(a, list), c.overlap) << c.b.min_x << "," << c.b.min_y;
    EXPECT_EQ(overlaps_any(c.b, std::vector<Footprint>{far, a}), c.overlap);
  }
  EXPECT_FALSE(overlaps_any(a, {}));
}

TEST(TurnedFootprint, EveryVertexCountsWhateverItsPosition) {
  // c = 1, s = 0, scale 1 at (10, 20): fx = (k − 0·(−2k)) + 10 = k + 10 and
  // fy = (0·k + (−2k)) + 20 = 20 − 2k exactly, for meshes of 0 to 9 vertices in both orders
  for (int n = 0; n <= 9; ++n) {
    std::vector<math::Vector3> mesh;
    for (int k = 0; k < n; ++k) mesh.push_back({float(k), float(-2 * k), 0});
    const Footprint expected =
        n == 0 ? Footprint{} : Footprint{10, 20 - 2.0f * (n - 1), 10.0f + (n - 1), 20};
    EXPECT_EQ(turned_footprint(mesh, 1, 0, 1, 10, 20), expected) << n;
    std::reverse(mesh.begin(), mesh.end());
    EXPECT_EQ(turned_footprint(mesh, 1, 0, 1, 10, 20), expected) << n;
  }
}

TEST(TurnedFootprint, ScaleTurnAndOddValues) {
  // quarter turn (c = 0, s = 1), scale 2: fx = −2·vy + x, fy = 2·vx + y
  const std::vector<math::Vector3> mesh = {{1, 2, 0}, {-3, 0.5f, 0}};
  EXPECT_EQ(turned_footprint(mesh, 0, 1, 2, 100, 50), (Footprint{96, 44, 99, 52}));
  // NaN vertices move nothing, in the vectorised part and in the tail; infinities count
  std::vector<math::Vector3> odd = {{1, 1, 0}, {kNaN, 5, 0}, {2, 3, 0},      {4, kNaN, 0},
                                    {0, 2, 0}, {6, 6, 0},    {kNaN, kNaN, 0}};
  EXPECT_EQ(turned_footprint(odd, 1, 0, 1, 0, 0), (Footprint{0, 1, 6, 6}));
  // (−inf, 0): fx = (1·(−inf) − 0·0) + 0 = −inf, but fy = (0·(−inf) + 1·0) + 0 is NaN
  odd.push_back({-kInf, 0, 0});
  EXPECT_EQ(turned_footprint(odd, 1, 0, 1, 0, 0), (Footprint{-kInf, 1, 6, 6}));
}

TEST(BuildingFootprint, UnturnedFrameOnlyMovesTheExtent) {
  // w = 1, z = 0: heading 2·atan2(0, 1) = 0, so c = 1, s = 0 and fx = (vx − 0·vy) + x exactly
  const std::vector<math::Vector3> mesh = {{-3, 2, 100}, {4, -1, -50}, {0.5f, 6, 0}};
  const Footprint footprint =
      building_footprint(mesh, frame_at(50, 60, math::Quaternion{1, 0, 0, 0}));
  EXPECT_EQ(footprint, (Footprint{47, 59, 54, 66}));  // z and frame z play no part
}

TEST(BuildingFootprint, TurnedFrames) {
  const std::vector<math::Vector3> mesh = {{-3, 2, 0}, {4, -1, 0}, {0.5f, 6, 0}};
  // (w, z) = (0, 1): heading 2·atan2(1, 0) = π, half a turn about the origin: the extent
  // x ∈ [−3, 4], y ∈ [−1, 6] becomes x ∈ [−4, 3], y ∈ [−6, 1], up to the f32 rounding of π
  const Footprint half = building_footprint(mesh, frame_at(50, 60, math::Quaternion{0, 0, 0, 1}));
  EXPECT_NEAR(half.min_x, 46, 1e-5);
  EXPECT_NEAR(half.max_x, 53, 1e-5);
  EXPECT_NEAR(half.min_y, 54, 1e-5);
  EXPECT_NEAR(half.max_y, 61, 1e-5);
  // (w, z) = (cos 45°, sin 45°): heading π/2, (x, y) → (−y, x): x ∈ [−6, 1], y ∈ [−3, 4]
  const float r = std::sqrt(0.5f);
  const Footprint quarter = building_footprint(mesh, frame_at(0, 0, math::Quaternion{r, 0, 0, r}));
  EXPECT_NEAR(quarter.min_x, -6, 1e-5);
  EXPECT_NEAR(quarter.max_x, 1, 1e-5);
  EXPECT_NEAR(quarter.min_y, -3, 1e-5);
  EXPECT_NEAR(quarter.max_y, 4, 1e-5);
  // the orientation's length does not matter, only the angle of (w, z)
  EXPECT_EQ(building_footprint(mesh, frame_at(0, 0, math::Quaternion{5 * r, 9, 9, 5 * r})),
            quarter);
}

TEST(BuildingFootprint, EmptyMeshGivesTheEmptyFootprint) {
  EXPECT_EQ(building_footprint({}, frame_at(1, 2, math::Quaternion{})), Footprint{});
}

}  // namespace
}  // namespace ostrevane::scenery
