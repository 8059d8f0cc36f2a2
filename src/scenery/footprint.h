// Axis-aligned rectangles in landblock-local coordinates, used to keep scenery off buildings and
// off each other.
#pragma once

#include <limits>
#include <span>

#include "dat/frame.h"
#include "math/vector3.h"

namespace ostrevane::scenery {

struct Footprint {
  static constexpr float kInfinity = std::numeric_limits<float>::infinity();

  // The empty footprint: grows to the first point it includes, and overlaps no finite footprint.
  float min_x = kInfinity;
  float min_y = kInfinity;
  float max_x = -kInfinity;
  float max_y = -kInfinity;

  // Widens the rectangle to hold (x, y). Bounds move only when strictly passed, so a NaN
  // coordinate changes nothing.
  void include(float x, float y) noexcept {
    if (x < min_x) min_x = x;
    if (y < min_y) min_y = y;
    if (x > max_x) max_x = x;
    if (y > max_y) max_y = y;
  }

  friend bool operator==(const Footprint&, const Footprint&) = default;
};

// Rectangles overlap unless one lies strictly beyond the other on an axis: touching edges overlap.
constexpr bool overlaps(const Footprint& a, const Footprint& b) noexcept {
  return !(b.min_x > a.max_x || a.min_x > b.max_x || b.min_y > a.max_y || a.min_y > b.max_y);
}

// Whether `footprint` overlaps any of `others`, by the rule above.
bool overlaps_any(const Footprint& footprint, std::span<const Footprint> others) noexcept;

// Footprint of a model's local vertices scaled, turned and moved, in single precision: for each
// vertex (vx, vy) (z ignored), with sx = vx·scale and sy = vy·scale,
//   fx = (cos_heading·sx − sin_heading·sy) + x,  fy = (sin_heading·sx + cos_heading·sy) + y.
// Bounds that are only compared may come out as −0 where a vertex-by-vertex scan would keep +0,
// or the reverse; every other bit is that of the scan.
Footprint turned_footprint(std::span<const math::Vector3> mesh, float cos_heading,
                           float sin_heading, float scale, float x, float y);

// Footprint of a building: the x-y extent of its model's local vertices, turned about the
// vertical axis by the frame's heading and moved to the frame's origin. The heading is twice the
// single-precision arc tangent of the orientation's z over w; no scale is applied. An empty mesh
// gives the empty footprint.
Footprint building_footprint(std::span<const math::Vector3> mesh, const dat::Frame& frame);

}  // namespace ostrevane::scenery
