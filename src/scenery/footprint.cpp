#include "scenery/footprint.h"

#include <cmath>

namespace ostrevane::scenery {

Footprint building_footprint(std::span<const math::Vector3> mesh, const dat::Frame& frame) {
  // single precision throughout; the doubling applies to the f32 arc tangent
  const float heading = 2.0f * ::atan2f(frame.orientation.z, frame.orientation.w);
  float s;
  float c;
  ::sincosf(heading, &s, &c);
  Footprint footprint;
  for (const math::Vector3& v : mesh) {
    const float fx = (c * v.x - s * v.y) + frame.origin.x;
    const float fy = (c * v.y + s * v.x) + frame.origin.y;
    footprint.include(fx, fy);
  }
  return footprint;
}

}  // namespace ostrevane::scenery
