// Encoders of the geometry records, mirroring their readers field for field.
#pragma once

#include "dat/frame.h"
#include "math/plane.h"
#include "math/quaternion.h"
#include "math/sphere.h"
#include "math/vector3.h"
#include "write/byte_writer.h"

namespace ostrevane::write {

inline void encode(ByteWriter& out, const math::Vector3& v) {
  out.f32(v.x);
  out.f32(v.y);
  out.f32(v.z);
}

inline void encode(ByteWriter& out, const math::Quaternion& q) {
  out.f32(q.w);  // the scalar part is stored first
  out.f32(q.x);
  out.f32(q.y);
  out.f32(q.z);
}

inline void encode(ByteWriter& out, const math::Plane& p) {
  encode(out, p.normal);
  out.f32(p.d);
}

inline void encode(ByteWriter& out, const math::Sphere& s) {
  encode(out, s.center);
  out.f32(s.radius);
}

inline void encode(ByteWriter& out, const dat::Frame& f) {
  encode(out, f.origin);
  encode(out, f.orientation);
}

inline void encode(ByteWriter& out, const dat::Vec2Duv& uv) {
  out.f32(uv.u);
  out.f32(uv.v);
}

}  // namespace ostrevane::write
