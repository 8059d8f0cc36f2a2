#include "scenery/height.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "scenery/saturating_cast.h"

namespace ostrevane::scenery {
namespace {

constexpr std::uint32_t kLastVertex = 8;
constexpr std::uint32_t kLastCell = 7;

float at(const VertexHeights& heights, std::uint32_t x, std::uint32_t y) {
  return heights[x * 9 + y];
}

// The two grid lines around g (already >= 0): on the far edge both are line 8.
struct Span {
  std::uint32_t low;
  std::uint32_t high;
};

Span span_of(std::uint32_t index) {
  return {std::min(index, kLastVertex), std::min(index, kLastCell) + 1};
}

}  // namespace

VertexHeights vertex_heights(const dat::Region& region, const dat::CellLandblock& landblock) {
  VertexHeights heights{};
  const std::size_t last = region.land_height_table.size() - 1;
  for (std::size_t i = 0; i < landblock.height.size() && i < heights.size(); ++i) {
    heights[i] = region.land_height_table[std::min<std::size_t>(landblock.height[i], last)];
  }
  return heights;
}

float bilinear_height_from_grid(const VertexHeights& heights, float px, float py) {
  // fmax/fmin, not std::clamp: a NaN coordinate must land on 0
  const float gx = std::fmin(std::fmax(px / kCellSize, 0.0f), 8.0f);
  const float gy = std::fmin(std::fmax(py / kCellSize, 0.0f), 8.0f);
  const Span x = span_of(saturating_cast<std::uint32_t>(std::floor(gx)));
  const Span y = span_of(saturating_cast<std::uint32_t>(std::floor(gy)));
  const float tx = gx - static_cast<float>(x.low);
  const float ty = gy - static_cast<float>(y.low);

  // the grouping and the order of the sum are part of the result
  const float a = (at(heights, x.low, y.low) * (1.0f - tx)) * (1.0f - ty);
  const float b = (at(heights, x.high, y.low) * tx) * (1.0f - ty);
  const float c = ((1.0f - tx) * at(heights, x.low, y.high)) * ty;
  const float d = (tx * at(heights, x.high, y.high)) * ty;
  return d + (c + (b + a));
}

float slope_at(const VertexHeights& heights, float px, float py) {
  // no upper clamp of g: beyond the far edge the index is 8 directly
  const float gx = std::fmax(px / kCellSize, 0.0f);
  const float gy = std::fmax(py / kCellSize, 0.0f);
  const std::uint32_t ix = gx > 8.0f ? kLastVertex : saturating_cast<std::uint32_t>(std::floor(gx));
  const std::uint32_t iy = gy > 8.0f ? kLastVertex : saturating_cast<std::uint32_t>(std::floor(gy));
  const Span x = span_of(ix);
  const Span y = span_of(iy);

  const float h00 = at(heights, x.low, y.low);
  const float h10 = at(heights, x.high, y.low);
  const float h01 = at(heights, x.low, y.high);
  const float h11 = at(heights, x.high, y.high);
  const float sx = (((h11 - h01) + (h10 - h00)) * 0.5f) / kCellSize;
  const float sy = (((h11 - h10) + (h01 - h00)) * 0.5f) / kCellSize;
  return std::atan(std::sqrt(sx * sx + sy * sy));
}

float triangle_plane_height_from_grid(const VertexHeights& heights, std::uint32_t landblock_id,
                                      float px, float py) {
  const std::int32_t cx =
      std::clamp(saturating_cast<std::int32_t>(std::floor(px / kCellSize)), 0, 7);
  const std::int32_t cy =
      std::clamp(saturating_cast<std::int32_t>(std::floor(py / kCellSize)), 0, 7);
  const auto ucx = static_cast<std::uint32_t>(cx);
  const auto ucy = static_cast<std::uint32_t>(cy);

  // cell corners: small integers, exact as f32, and so are their products below
  const std::int32_t ix0 = 24 * cx;
  const std::int32_t ix1 = ix0 + 24;
  const std::int32_t iy0 = 24 * cy;
  const std::int32_t iy1 = iy0 + 24;
  const auto x0 = static_cast<float>(ix0);
  const auto x1 = static_cast<float>(ix1);
  const auto y0 = static_cast<float>(iy0);
  const auto y1 = static_cast<float>(iy1);
  const float h00 = at(heights, ucx, ucy);
  const float h10 = at(heights, ucx + 1, ucy);
  const float h01 = at(heights, ucx, ucy + 1);
  const float h11 = at(heights, ucx + 1, ucy + 1);

  // split hash of the cell's global indices, on wrapping u32
  const std::uint32_t gx = ucx + 8 * (landblock_id >> 8);
  const std::uint32_t gy = ucy + 8 * (landblock_id & 0xFF);
  const std::uint32_t split =
      (gx * 0x0CCAC033u + 0x6C1AC587u) * gy + gx * 0xBDE41C43u + 0xAE6470DBu;
  // split >= 0: diagonal (x1, y0)-(x0, y1); split < 0: diagonal (x0, y0)-(x1, y1)
  const bool rising = static_cast<std::int32_t>(split) >= 0;

  // barycentric containment in the first triangle; -576 is twice its signed area in every cell
  const std::int32_t ie = rising ? ix0 : ix1;
  const float inv = 1.0f / -576.0f;
  const float bs = (py * static_cast<float>(ie - ix0) +
                    (static_cast<float>(ix0 * iy1 - ie * iy0) - 24.0f * px)) *
                   inv;
  const float bt = (static_cast<float>(ix1 - ie) * py +
                    (24.0f * px + static_cast<float>(ie * iy0 - ix1 * iy1))) *
                   inv;
  const bool in_first = !(bs < 0.0f || bt < 0.0f || bt > 1.0f - bs);

  float nx;
  float ny;
  float nz;
  float w;
  if (in_first) {
    // the plane through (x0, y0, h00), (x1, y0, h10) and the third corner, written out
    const float d1 = h10 - h00;
    const float d0 = rising ? h01 - h00 : h11 - h00;
    const float e_off = rising ? 0.0f : 24.0f;
    nx = 24.0f * d1;
    ny = 24.0f * d0 - d1 * e_off;
    nz = 0.0f * e_off + -576.0f;
    w = h00 * nz + (x0 * nx + y0 * ny);
  } else {
    struct Corner {
      float x, y, z;
    };
    const Corner a = rising ? Corner{x1, y0, h10} : Corner{x0, y1, h01};
    const Corner b = rising ? Corner{x0, y1, h01} : Corner{x1, y1, h11};
    const Corner c = rising ? Corner{x1, y1, h11} : Corner{x0, y0, h00};
    const Corner e1{b.x - a.x, b.y - a.y, b.z - a.z};
    const Corner e2{c.x - a.x, c.y - a.y, c.z - a.z};
    nx = e1.y * e2.z - e1.z * e2.y;
    ny = e1.z * e2.x - e1.x * e2.z;
    nz = e1.x * e2.y - e1.y * e2.x;
    w = a.z * nz + (a.y * ny + a.x * nx);
  }
  return ((w - px * nx) - py * ny) / nz;
}

}  // namespace ostrevane::scenery
