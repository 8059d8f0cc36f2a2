#include "dat/setup_parts.h"

#include "dat/try.h"

namespace ostrevane::dat {

namespace {

std::expected<Frame, ParseError> read_graphics_frame(ByteCursor& cursor) {
  return Frame::unpack(cursor, kGraphicsSource);
}

}  // namespace

std::expected<CylSphere, ParseError> CylSphere::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "CylSphere", kSetupModelSource);
  CylSphere cyl;
  OSTREVANE_TRY(cyl.origin, fields.read("origin", origin_line, math::Vector3::unpack));
  OSTREVANE_TRY(cyl.radius, fields.read("radius", radius_line, read_f32));
  OSTREVANE_TRY(cyl.height, fields.read("height", height_line, read_f32));
  return cyl;
}

std::expected<LightInfo, ParseError> LightInfo::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "LightInfo", kSetupModelSource);
  LightInfo light;
  OSTREVANE_TRY(
      light.viewer_space_location,
      fields.read("viewer_space_location", viewer_space_location_line, read_graphics_frame));
  OSTREVANE_TRY(light.color, fields.read("color", color_line, read_u32));
  OSTREVANE_TRY(light.intensity, fields.read("intensity", intensity_line, read_f32));
  OSTREVANE_TRY(light.falloff, fields.read("falloff", falloff_line, read_f32));
  OSTREVANE_TRY(light.cone_angle, fields.read("cone_angle", cone_angle_line, read_f32));
  return light;
}

std::expected<LocationType, ParseError> LocationType::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "LocationType", kSetupModelSource);
  LocationType location;
  OSTREVANE_TRY(location.part_id, fields.read("part_id", part_id_line, read_u32));
  OSTREVANE_TRY(location.frame, fields.read("frame", frame_line, read_graphics_frame));
  return location;
}

}  // namespace ostrevane::dat
