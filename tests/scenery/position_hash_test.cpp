#include "scenery/position_hash.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace ostrevane::scenery {
namespace {

// Vertex (0, 0) of landblock 0xA9B4 has global indices (8·0xA9, 8·0xB4) = (1352, 1440).
constexpr std::uint32_t kX = 1352;
constexpr std::uint32_t kY = 1440;

TEST(PositionHash, UnitRandomStaysBelowOne) {
  EXPECT_LT(kUnitRandomScale, std::ldexp(1.0, -32));  // deliberately not 2^-32
  EXPECT_EQ(unit_random(0), 0.0);
  EXPECT_LT(unit_random(0xFFFFFFFF), 1.0);
  EXPECT_GT(unit_random(0xFFFFFFFF), 0.99999998);
}

TEST(PositionHash, FiguresOfVertexZeroOfLandblockA9B4) {
  const VertexDraws draws = vertex_draws(kX, kY);
  // quadrant value in [0.5, 0.75): the offset is turned by half a turn
  EXPECT_GE(draws.quadrant, 0.5);
  EXPECT_LT(draws.quadrant, 0.75);
  // scene value in [0.25, 0.33): of three scenes the first is taken
  const double scene = unit_random(scene_hash(kX, kY));
  EXPECT_GE(scene, 0.25);
  EXPECT_LT(scene, 0.33);
  EXPECT_EQ(static_cast<int>(3 * scene), 0);
  // the scale draw of object 0 is above 0.9
  EXPECT_GT(draws.object_draw(0, kSaltScale), 0.9);
}

TEST(PositionHash, HashesWrapInsteadOfOverflowing) {
  // (x · P2 + P3) · y wraps many times over for large indices; the values only need to stay
  // defined and in range (the sanitizers check the arithmetic)
  const VertexDraws draws = vertex_draws(0xFFFFFFFF, 0xFFFFFFFF);
  EXPECT_LT(draws.frequency, 1.0);
  EXPECT_LT(draws.quadrant, 1.0);
  EXPECT_LT(draws.object_draw(0xFFFFFFFF, kSaltDisplaceY), 1.0);
  // x = y = 0 leaves only the additive constants
  EXPECT_EQ(scene_hash(0, 0), kHashP4);
  EXPECT_EQ(vertex_draws(0, 0).base, 0u);
  EXPECT_EQ(vertex_draws(0, 0).multiplier, kHashP8);
  EXPECT_EQ(vertex_draws(0, 0).frequency, unit_random(kHashP6));
  EXPECT_EQ(vertex_draws(0, 0).quadrant, unit_random(kHashP10));
}

}  // namespace
}  // namespace ostrevane::scenery
