// A point or direction: three f32 components, stored x, y, z.
#pragma once

#include <expected>

#include "dat/byte_cursor.h"
#include "dat/field_reader.h"

namespace ostrevane::math {

struct Vector3 {
  float x = 0.0f; OSTREVANE_FIELD_LINE(x);
  float y = 0.0f; OSTREVANE_FIELD_LINE(y);
  float z = 0.0f; OSTREVANE_FIELD_LINE(z);

  // Reads the 12 bytes field by field; values are taken exactly as stored.
  static std::expected<Vector3, dat::ParseError> unpack(dat::ByteCursor& cursor);

  friend bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace ostrevane::math
