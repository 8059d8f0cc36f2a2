// A rotation: four f32 components, stored with the scalar part w first.
#pragma once

#include <expected>

#include "dat/byte_cursor.h"
#include "dat/field_reader.h"

namespace ostrevane::math {

struct Quaternion {
  float w = 1.0f; OSTREVANE_FIELD_LINE(w);
  float x = 0.0f; OSTREVANE_FIELD_LINE(x);
  float y = 0.0f; OSTREVANE_FIELD_LINE(y);
  float z = 0.0f; OSTREVANE_FIELD_LINE(z);

  // Reads the 16 bytes field by field; no normalisation.
  static std::expected<Quaternion, dat::ParseError> unpack(dat::ByteCursor& cursor);

  friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

}  // namespace ostrevane::math
