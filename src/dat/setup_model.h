// A model built from several parts (portal-archive files 0x02xxxxxx): the graphics object of each
// part, per-part data, placement frames with animation hooks, collision shapes, lights and a few
// default ids. The mesh cache reads only `parts`; everything else is stored as read.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dat/placement_type.h"
#include "dat/setup_parts.h"
#include "math/sphere.h"
#include "math/vector3.h"

namespace ostrevane::dat {

// `flags` bits; all other bits are ignored.
inline constexpr std::uint32_t kSetupHasParentIndices = 0x1;
inline constexpr std::uint32_t kSetupHasDefaultScales = 0x2;

struct SetupModel {
  std::uint32_t id = 0;  // as stored; not compared with the id that was requested
  std::uint32_t flags = 0;
  std::vector<std::uint32_t> parts;           // GfxObj id of each part; its size is num_parts
  std::vector<std::uint32_t> parent_indices;  // one per part with flags 0x1, else empty
  std::vector<math::Vector3> default_scales;  // one per part with flags 0x2, else empty
  // In the keyed maps a later entry with the same key replaced the earlier one.
  std::unordered_map<std::uint32_t, LocationType> holding_locations;
  std::unordered_map<std::uint32_t, LocationType> connection_locations;
  std::unordered_map<std::uint32_t, PlacementType> placement_frames;  // frames: one per part
  std::vector<CylSphere> cyl_spheres;
  std::vector<math::Sphere> spheres;
  float scalar_1 = 0.0f;
  float scalar_2 = 0.0f;
  float scalar_3 = 0.0f;
  float scalar_4 = 0.0f;
  math::Sphere extra_sphere_1;
  math::Sphere extra_sphere_2;
  std::unordered_map<std::uint32_t, LightInfo> lights;
  // 0 on disk means absent.
  std::optional<std::uint32_t> default_id_1;
  std::optional<std::uint32_t> default_id_2;
  std::optional<std::uint32_t> default_id_3;
  std::optional<std::uint32_t> default_id_4;
  std::optional<std::uint32_t> default_id_5;

  // With no parts, no per-part data and every count 0 the record is 104 bytes.
  static constexpr std::size_t kMinSize = 104;

  // Parses the whole record from the cursor's position (the file's first byte); on success the
  // cursor stands just after `default_id_5` and trailing bytes are left alone.
  // Fails with:
  //  - "failed to fill whole buffer", without a frame of its own, when the data end early; an
  //    oversized count ends the same way, as no reservation exceeds what the bytes left hold;
  //  - the errors of the part records as they raise them (CylSphere, LightInfo, LocationType
  //    with their context frames; "Unsupported AnimationHook type: ..." from a placement);
  //  - "SetupModel 0x{id:08X} declared negative placement count {count}" at the position just
  //    after the signed placement count when that count is negative.
  static std::expected<SetupModel, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const SetupModel&, const SetupModel&) = default;
};

}  // namespace ostrevane::dat
