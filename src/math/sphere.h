// A bounding sphere, stored as its centre then its radius.
#pragma once

#include <expected>

#include "math/vector3.h"

namespace ostrevane::math {

struct Sphere {
  Vector3 center; OSTREVANE_FIELD_LINE(center);
  float radius = 0.0f; OSTREVANE_FIELD_LINE(radius);

  static std::expected<Sphere, dat::ParseError> unpack(dat::ByteCursor& cursor);

  friend bool operator==(const Sphere&, const Sphere&) = default;
};

}  // namespace ostrevane::math
