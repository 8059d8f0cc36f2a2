#include "dat/try.h"
#include "math/plane.h"
#include "math/quaternion.h"
#include "math/sphere.h"
#include "math/vector3.h"

namespace ostrevane::math {

using dat::ByteCursor;
using dat::FieldReader;
using dat::kMathSource;
using dat::ParseError;
using dat::read_f32;

std::expected<Vector3, ParseError> Vector3::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Vector3", kMathSource);
  Vector3 v;
  OSTREVANE_TRY(v.x, fields.read("x", x_line, read_f32));
  OSTREVANE_TRY(v.y, fields.read("y", y_line, read_f32));
  OSTREVANE_TRY(v.z, fields.read("z", z_line, read_f32));
  return v;
}

std::expected<Quaternion, ParseError> Quaternion::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Quaternion", kMathSource);
  Quaternion q;
  OSTREVANE_TRY(q.w, fields.read("w", w_line, read_f32));
  OSTREVANE_TRY(q.x, fields.read("x", x_line, read_f32));
  OSTREVANE_TRY(q.y, fields.read("y", y_line, read_f32));
  OSTREVANE_TRY(q.z, fields.read("z", z_line, read_f32));
  return q;
}

std::expected<Plane, ParseError> Plane::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Plane", kMathSource);
  Plane p;
  OSTREVANE_TRY(p.normal, fields.read("normal", normal_line, Vector3::unpack));
  OSTREVANE_TRY(p.d, fields.read("d", d_line, read_f32));
  return p;
}

std::expected<Sphere, ParseError> Sphere::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Sphere", kMathSource);
  Sphere s;
  OSTREVANE_TRY(s.center, fields.read("center", center_line, Vector3::unpack));
  OSTREVANE_TRY(s.radius, fields.read("radius", radius_line, read_f32));
  return s;
}

}  // namespace ostrevane::math
