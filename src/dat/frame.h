// A placement: an origin and an orientation. The same 28-byte record appears among the
// graphics records and among the landblock records; the two differ only in the source path
// their context frames carry, which the caller passes.
#pragma once

#include <expected>
#include <string_view>

#include "math/quaternion.h"
#include "math/vector3.h"

namespace ostrevane::dat {

struct Frame {
  math::Vector3 origin; OSTREVANE_FIELD_LINE(origin);
  math::Quaternion orientation; OSTREVANE_FIELD_LINE(orientation);

  // `source` is kGraphicsSource or kLandblockSource.
  static std::expected<Frame, ParseError> unpack(ByteCursor& cursor, std::string_view source);

  friend bool operator==(const Frame&, const Frame&) = default;
};

// Texture coordinates of a vertex.
struct Vec2Duv {
  float u = 0.0f; OSTREVANE_FIELD_LINE(u);
  float v = 0.0f; OSTREVANE_FIELD_LINE(v);

  static std::expected<Vec2Duv, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Vec2Duv&, const Vec2Duv&) = default;
};

}  // namespace ostrevane::dat
