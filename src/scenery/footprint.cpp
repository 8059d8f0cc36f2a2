#include "scenery/footprint.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace ostrevane::scenery {
namespace {

// Four f32 lanes; each lane rounds exactly like the scalar operation.
using Lanes = float __attribute__((vector_size(16)));
using Mask = int __attribute__((vector_size(16)));  // comparison results: 0 or all ones
using MaskHalves = long long __attribute__((vector_size(16)));

static_assert(sizeof(Footprint) == sizeof(Lanes), "a footprint is one set of lanes");

Lanes load(const Footprint& footprint) {
  Lanes lanes;
  std::memcpy(&lanes, &footprint, sizeof lanes);
  return lanes;
}

}  // namespace

bool overlaps_any(const Footprint& footprint, std::span<const Footprint> others) noexcept {
  // All four separation tests of one pair at once, lanes (min_x, min_y, max_x, max_y) of the
  // other footprint: lanes 0-1 test other.min > footprint.max, lanes 2-3 footprint.min >
  // other.max. The unused half of each test compares against an infinity and is always false.
  constexpr float kInf = Footprint::kInfinity;
  const Lanes own_max = {footprint.max_x, footprint.max_y, kInf, kInf};
  const Lanes own_min = {-kInf, -kInf, footprint.min_x, footprint.min_y};
  for (const Footprint& other : others) {
    const Lanes lanes = load(other);
    const Mask separated = (lanes > own_max) | (own_min > lanes);
    const auto halves = reinterpret_cast<MaskHalves>(separated);
    if ((halves[0] | halves[1]) == 0) return true;
  }
  return false;
}

Footprint turned_footprint(std::span<const math::Vector3> mesh, float cos_heading,
                           float sin_heading, float scale, float x, float y) {
  // Four vertices at a time, each lane keeping its own bounds. A bound moves only when strictly
  // passed (a NaN moves nothing), so the lanes' bounds merge into the same values as one
  // vertex-by-vertex scan; only which zero sign survives may differ, and −0 compares equal to +0.
  constexpr float kInf = Footprint::kInfinity;
  Lanes min_x = {kInf, kInf, kInf, kInf};
  Lanes min_y = min_x;
  Lanes max_x = -min_x;
  Lanes max_y = -min_x;
  const std::size_t n = mesh.size();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const math::Vector3* v = mesh.data() + i;
    const Lanes sx = Lanes{v[0].x, v[1].x, v[2].x, v[3].x} * scale;
    const Lanes sy = Lanes{v[0].y, v[1].y, v[2].y, v[3].y} * scale;
    // grouping as in the scalar formula, no fused multiply-add
    const Lanes fx = (cos_heading * sx - sin_heading * sy) + x;
    const Lanes fy = (sin_heading * sx + cos_heading * sy) + y;
    min_x = fx < min_x ? fx : min_x;
    min_y = fy < min_y ? fy : min_y;
    max_x = fx > max_x ? fx : max_x;
    max_y = fy > max_y ? fy : max_y;
  }
  Footprint footprint;
  for (int lane = 0; lane < 4; ++lane) {
    // minima and maxima apart: a lane that saw no vertex holds +inf minima and -inf maxima
    if (min_x[lane] < footprint.min_x) footprint.min_x = min_x[lane];
    if (min_y[lane] < footprint.min_y) footprint.min_y = min_y[lane];
    if (max_x[lane] > footprint.max_x) footprint.max_x = max_x[lane];
    if (max_y[lane] > footprint.max_y) footprint.max_y = max_y[lane];
  }
  for (; i < n; ++i) {
    const float sx = mesh[i].x * scale;
    const float sy = mesh[i].y * scale;
    footprint.include((cos_heading * sx - sin_heading * sy) + x,
                      (sin_heading * sx + cos_heading * sy) + y);
  }
  return footprint;
}

Footprint building_footprint(std::span<const math::Vector3> mesh, const dat::Frame& frame) {
  // single precision throughout; the doubling applies to the f32 arc tangent
  const float heading = 2.0f * ::atan2f(frame.orientation.z, frame.orientation.w);
  float s;
  float c;
  ::sincosf(heading, &s, &c);
  // no scale: v·1 is v exactly, and (c·vy + s·vx) is the same sum as (s·vx + c·vy)
  return turned_footprint(mesh, c, s, 1.0f, frame.origin.x, frame.origin.y);
}

}  // namespace ostrevane::scenery
