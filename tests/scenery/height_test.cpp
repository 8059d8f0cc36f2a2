#include "scenery/height.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace ostrevane::scenery {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::uint32_t kLandblockA9B4 = 0xA9B4;

VertexHeights flat(float h) {
  VertexHeights heights;
  heights.fill(h);
  return heights;
}

// H(x, y) = x·y + x + 2·y: small integers with a cross term, so the two diagonals of a cell give
// different centre heights and every plane evaluation below stays exact in f32.
VertexHeights warped() {
  VertexHeights heights;
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 9; ++y) heights[x * 9 + y] = static_cast<float>(x * y + x + 2 * y);
  }
  return heights;
}

float h(const VertexHeights& heights, int x, int y) { return heights[x * 9 + y]; }

TEST(VertexHeights, LooksBytesUpInTheRegionTable) {
  dat::Region region;
  for (int b = 0; b < 256; ++b) region.land_height_table[b] = 0.5f * static_cast<float>(b) - 3.0f;
  dat::CellLandblock landblock;
  for (int i = 0; i < 81; ++i) landblock.height[i] = static_cast<std::uint8_t>(i * 3);
  landblock.height[80] = 255;

  const VertexHeights heights = vertex_heights(region, landblock);
  for (int i = 0; i < 80; ++i) EXPECT_EQ(heights[i], 1.5f * static_cast<float>(i) - 3.0f) << i;
  EXPECT_EQ(heights[80], 124.5f);
}

TEST(Height, FlatTerrainIsFlatEverywhere) {
  const VertexHeights heights = flat(37.25f);
  // dyadic fractions of a cell keep the bilinear weights exact; the points include the far edge
  // and points outside the landblock, which the height functions clamp or extrapolate
  const float points[][2] = {{0, 0},    {12, 30}, {191.25f, 0.75f}, {192, 192},
                             {-5, 300}, {108, 6}, {-1e6f, 1e6f}};
  for (const auto& p : points) {
    EXPECT_EQ(bilinear_height_from_grid(heights, p[0], p[1]), 37.25f) << p[0] << "," << p[1];
    EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, p[0], p[1]), 37.25f)
        << p[0] << "," << p[1];
    EXPECT_EQ(slope_at(heights, p[0], p[1]), 0.0f) << p[0] << "," << p[1];
  }
  // a non-dyadic point rounds, but stays within a few ulps
  EXPECT_FLOAT_EQ(bilinear_height_from_grid(heights, 10.1f, 33.3f), 37.25f);
}

TEST(BilinearHeight, VerticesEdgesAndClamping) {
  const VertexHeights heights = warped();
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 9; ++y) {
      EXPECT_EQ(bilinear_height_from_grid(heights, 24.0f * x, 24.0f * y), h(heights, x, y))
          << x << "," << y;
    }
  }
  EXPECT_EQ(bilinear_height_from_grid(heights, 192, 192), h(heights, 8, 8));
  EXPECT_EQ(bilinear_height_from_grid(heights, -5, 300), h(heights, 0, 8));
  EXPECT_EQ(bilinear_height_from_grid(heights, kInf, -kInf), h(heights, 8, 0));
  // NaN is clamped to 0, not passed on
  EXPECT_EQ(bilinear_height_from_grid(heights, kNaN, kNaN), h(heights, 0, 0));
  EXPECT_EQ(bilinear_height_from_grid(heights, kNaN, 48), h(heights, 0, 2));
  // centre of cell (0, 0): the mean of 0, 1, 2 and 4
  EXPECT_EQ(bilinear_height_from_grid(heights, 12, 12), 1.75f);
  // on the far edge x = 192 uses vertex column 8 only: halfway between H(8,0) = 8, H(8,1) = 18
  EXPECT_EQ(bilinear_height_from_grid(heights, 192, 12), 13.0f);
}

TEST(SlopeAt, RiseOfOneGivesAQuarterTurnOverTwo) {
  // H(1, 0) = H(1, 1) = 24, the rest 0: over cell (0, 0) sx = ((24 − 0) + (24 − 0))·0.5 / 24 = 1
  // and sy = ((24 − 24) + (0 − 0))·0.5 / 24 = 0, so the slope is atan(1) wherever in the cell
  VertexHeights heights = flat(0.0f);
  heights[1 * 9 + 0] = 24.0f;
  heights[1 * 9 + 1] = 24.0f;
  const float quarter = static_cast<float>(std::numbers::pi / 4);
  const float points[][2] = {{0, 0}, {12, 12}, {23.9f, 0.1f}, {-50, -1}};
  for (const auto& p : points) {
    EXPECT_FLOAT_EQ(slope_at(heights, p[0], p[1]), quarter) << p[0] << "," << p[1];
  }
  // NaN is clamped into cell (0, 0) too
  EXPECT_FLOAT_EQ(slope_at(heights, kNaN, kNaN), quarter);
  // cell (0, 1): h00 = H(0,1) = 0, h10 = H(1,1) = 24, h01 = H(0,2) = 0, h11 = H(1,2) = 0, so
  // sx = ((0 − 0) + (24 − 0))·0.5 / 24 = 0.5 and sy = ((0 − 24) + (0 − 0))·0.5 / 24 = −0.5:
  // atan(sqrt(0.5)) = 0.6154797087 radians
  EXPECT_FLOAT_EQ(slope_at(heights, 5, 30), 0.6154797087f);
}

TEST(SlopeAt, FarEdgeHasNoGradientAcrossIt) {
  // H(x, y) = 24·x: a rise of 1 per unit along x everywhere
  VertexHeights heights;
  for (int i = 0; i < 81; ++i) heights[i] = 24.0f * static_cast<float>(i / 9);
  const float quarter = static_cast<float>(std::numbers::pi / 4);
  EXPECT_FLOAT_EQ(slope_at(heights, 191, 50), quarter);
  // x = 192 and beyond use vertex column 8 on both sides: no gradient along x
  EXPECT_EQ(slope_at(heights, 192, 50), 0.0f);
  EXPECT_EQ(slope_at(heights, 1e9f, 50), 0.0f);
  EXPECT_EQ(slope_at(heights, kInf, 50), 0.0f);
  // y = 192 only removes the gradient along y, of which there is none
  EXPECT_FLOAT_EQ(slope_at(heights, 50, 192), quarter);
}

// Cell (3, 5) of landblock 0xA9B4 has a non-negative split hash (diagonal from (x1, y0) to
// (x0, y1)); cell (0, 0) a negative one (diagonal from (x0, y0) to (x1, y1)).
TEST(TrianglePlaneHeight, CornersAndCentreOnBothDiagonals) {
  const VertexHeights heights = warped();
  struct Case {
    int cx, cy;
    float centre;  // (h10 + h01) / 2 on the rising split, (h00 + h11) / 2 on the other
  };
  const Case cases[] = {
      {3, 5, (34.0f + 33.0f) / 2},  // h00 28, h10 34, h01 33, h11 40
      {0, 0, (0.0f + 4.0f) / 2},    // h00 0, h10 1, h01 2, h11 4
  };
  for (const Case& c : cases) {
    const float x0 = 24.0f * c.cx;
    const float y0 = 24.0f * c.cy;
    for (int dx = 0; dx < 2; ++dx) {
      for (int dy = 0; dy < 2; ++dy) {
        EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, x0 + 24.0f * dx,
                                                  y0 + 24.0f * dy),
                  h(heights, c.cx + dx, c.cy + dy))
            << c.cx << "," << c.cy << " corner " << dx << dy;
      }
    }
    EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, x0 + 12, y0 + 12), c.centre)
        << c.cx << "," << c.cy;
  }
}

TEST(TrianglePlaneHeight, EachTriangleIsItsOwnPlane) {
  const VertexHeights heights = warped();
  // cell (0, 0), split along (0, 0)-(24, 24). Below the diagonal (v ≤ u) the plane through
  // (0,0,0), (24,0,1), (24,24,4): z = u/24 + 3v/24. At (18, 6): 0.75 + 0.75 = 1.5.
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 18, 6), 1.5f);
  // above it the plane through (0,24,2), (24,24,4), (0,0,0): z = 2v/24 + 2u/24. At (6, 18):
  // 1.5 + 0.5 = 2.
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 6, 18), 2.0f);
  // cell (3, 5), split along (96, 120)-(72, 144); with u, v from (72, 120): below (u + v ≤ 24)
  // z = 28 + 6u/24 + 5v/24; above z = 40 − 7(24 − u)/24 − 6(24 − v)/24.
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 72 + 12, 120 + 6), 32.25f);
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 72 + 12, 120 + 18), 35.0f);
}

TEST(TrianglePlaneHeight, ContinuousAcrossTheDiagonal) {
  const VertexHeights heights = warped();
  // cell (3, 5): the diagonal runs from (96, 120, 34) to (72, 144, 33)
  for (float t : {0.1f, 0.3f, 0.5f, 0.77f, 0.9f}) {
    const float px = 96.0f - 24.0f * t;
    const float py = 120.0f + 24.0f * t;
    const float on_line = 34.0f + (33.0f - 34.0f) * t;
    const float below = triangle_plane_height_from_grid(heights, kLandblockA9B4, px - 1e-3f, py);
    const float at = triangle_plane_height_from_grid(heights, kLandblockA9B4, px, py);
    const float above = triangle_plane_height_from_grid(heights, kLandblockA9B4, px + 1e-3f, py);
    EXPECT_NEAR(at, on_line, 1e-4f) << t;
    EXPECT_NEAR(below, on_line, 1e-2f) << t;
    EXPECT_NEAR(above, on_line, 1e-2f) << t;
  }
  // cell (0, 0): the diagonal runs from (0, 0, 0) to (24, 24, 4)
  for (float t : {0.2f, 0.5f, 0.8f}) {
    const float p = 24.0f * t;
    EXPECT_NEAR(triangle_plane_height_from_grid(heights, kLandblockA9B4, p, p), 4.0f * t, 1e-4f);
    EXPECT_NEAR(triangle_plane_height_from_grid(heights, kLandblockA9B4, p + 1e-3f, p), 4.0f * t,
                1e-2f);
    EXPECT_NEAR(triangle_plane_height_from_grid(heights, kLandblockA9B4, p, p + 1e-3f), 4.0f * t,
                1e-2f);
  }
}

TEST(TrianglePlaneHeight, PositionsOffTheGridUseTheEdgeCells) {
  const VertexHeights heights = warped();
  // 192 falls in cell 7, not in a cell 8 beyond the grid
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 192, 192), h(heights, 8, 8));
  // on the edge x = 192, halfway between H(8, 0) = 8 and H(8, 1) = 18
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 192, 12), 13.0f);
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, 12, 192),
            h(heights, 0, 8) + 4.5f);
  // beyond the landblock the edge cell's planes are extended. (−24, −48) is not inside the first
  // triangle of cell (0, 0) (its barycentric bt is 2 > 1 − bs = 0), so the second triangle's
  // plane z = 2u/24 + 2v/24 applies: −2 − 4
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, -24, -48), -6.0f);
  // huge, infinite and NaN positions clamp their cell and do not read outside the grid
  EXPECT_TRUE(std::isfinite(triangle_plane_height_from_grid(heights, kLandblockA9B4, 3e9f, -3e9f)));
  EXPECT_TRUE(std::isnan(triangle_plane_height_from_grid(heights, kLandblockA9B4, kNaN, 5)));
  // (inf, inf) lands in cell (7, 7), whose planes both rise along x and y: −inf / −576
  EXPECT_EQ(triangle_plane_height_from_grid(heights, kLandblockA9B4, kInf, kInf), kInf);
}

}  // namespace
}  // namespace ostrevane::scenery
