// The fixed-size part records of a setup model: collision cylinders, lights and the locations
// where other objects are held or connected. All three are read field by field; a failure names
// the field and leaves the cursor at the record's start.
#pragma once

#include <cstdint>
#include <expected>

#include "dat/frame.h"
#include "math/vector3.h"

namespace ostrevane::dat {

// A collision cylinder standing on `origin`. 20 bytes.
struct CylSphere {
  math::Vector3 origin; OSTREVANE_FIELD_LINE(origin);
  float radius = 0.0f; OSTREVANE_FIELD_LINE(radius);
  float height = 0.0f; OSTREVANE_FIELD_LINE(height);

  static constexpr std::size_t kSize = 20;

  static std::expected<CylSphere, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const CylSphere&, const CylSphere&) = default;
};

// A light attached to the model. 44 bytes.
struct LightInfo {
  Frame viewer_space_location; OSTREVANE_FIELD_LINE(viewer_space_location);
  std::uint32_t color = 0; OSTREVANE_FIELD_LINE(color);
  float intensity = 0.0f; OSTREVANE_FIELD_LINE(intensity);
  float falloff = 0.0f; OSTREVANE_FIELD_LINE(falloff);
  float cone_angle = 0.0f; OSTREVANE_FIELD_LINE(cone_angle);

  static constexpr std::size_t kSize = 44;

  static std::expected<LightInfo, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const LightInfo&, const LightInfo&) = default;
};

// A holding or connection point: a part and a frame relative to it. 32 bytes.
struct LocationType {
  std::uint32_t part_id = 0; OSTREVANE_FIELD_LINE(part_id);
  Frame frame; OSTREVANE_FIELD_LINE(frame);

  static constexpr std::size_t kSize = 32;

  static std::expected<LocationType, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const LocationType&, const LocationType&) = default;
};

}  // namespace ostrevane::dat
