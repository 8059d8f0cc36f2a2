// A plane normal · p + d = 0, stored as the normal then d.
#pragma once

#include <expected>

#include "math/vector3.h"

namespace ostrevane::math {

struct Plane {
  Vector3 normal; OSTREVANE_FIELD_LINE(normal);
  float d = 0.0f; OSTREVANE_FIELD_LINE(d);

  static std::expected<Plane, dat::ParseError> unpack(dat::ByteCursor& cursor);

  friend bool operator==(const Plane&, const Plane&) = default;
};

}  // namespace ostrevane::math
