#include "dat/frame.h"

#include "dat/try.h"

namespace ostrevane::dat {

std::expected<Frame, ParseError> Frame::unpack(ByteCursor& cursor, std::string_view source) {
  FieldReader fields(cursor, "Frame", source);
  Frame frame;
  OSTREVANE_TRY(frame.origin, fields.read("origin", origin_line, math::Vector3::unpack));
  OSTREVANE_TRY(frame.orientation,
                fields.read("orientation", orientation_line, math::Quaternion::unpack));
  return frame;
}

std::expected<Vec2Duv, ParseError> Vec2Duv::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Vec2Duv", kGraphicsSource);
  Vec2Duv uv;
  OSTREVANE_TRY(uv.u, fields.read("u", u_line, read_f32));
  OSTREVANE_TRY(uv.v, fields.read("v", v_line, read_f32));
  return uv;
}

}  // namespace ostrevane::dat
