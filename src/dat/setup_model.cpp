#include "dat/setup_model.h"

#include <string>

#include "dat/strings.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

// A u32 count, then that many (u32 key, record) pairs; a later key replaces an earlier one.
template <class Record>
std::expected<void, ParseError> read_keyed_map(ByteCursor& cursor,
                                               std::unordered_map<std::uint32_t, Record>& map) {
  OSTREVANE_TRY(const std::uint32_t count, cursor.read_u32());
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const std::uint32_t key, cursor.read_u32());
    OSTREVANE_TRY(Record record, Record::unpack(cursor));
    map.insert_or_assign(key, std::move(record));
  }
  return {};
}

// A u32 count, then that many records, sized from the count as far as the bytes left allow.
template <class Record, class Unpack>
std::expected<void, ParseError> read_list(ByteCursor& cursor, std::size_t element_size,
                                          Unpack unpack, std::vector<Record>& list) {
  OSTREVANE_TRY(const std::uint32_t count, cursor.read_u32());
  list.reserve(cursor.reservable(count, element_size));
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(Record record, unpack(cursor));
    list.push_back(record);
  }
  return {};
}

std::optional<std::uint32_t> optional_id(std::uint32_t stored) {
  if (stored == 0) return std::nullopt;
  return stored;
}

}  // namespace

std::expected<SetupModel, ParseError> SetupModel::unpack(ByteCursor& cursor) {
  SetupModel model;
  OSTREVANE_TRY(model.id, cursor.read_u32());
  OSTREVANE_TRY(model.flags, cursor.read_u32());
  OSTREVANE_TRY(const std::uint32_t num_parts, cursor.read_u32());

  model.parts.reserve(cursor.reservable(num_parts, sizeof(std::uint32_t)));
  for (std::uint32_t i = 0; i < num_parts; ++i) {
    OSTREVANE_TRY(const std::uint32_t part, cursor.read_u32());
    model.parts.push_back(part);
  }
  if ((model.flags & kSetupHasParentIndices) != 0) {
    model.parent_indices.reserve(model.parts.size());
    for (std::uint32_t i = 0; i < num_parts; ++i) {
      OSTREVANE_TRY(const std::uint32_t parent, cursor.read_u32());
      model.parent_indices.push_back(parent);
    }
  }
  if ((model.flags & kSetupHasDefaultScales) != 0) {
    model.default_scales.reserve(cursor.reservable(num_parts, 3 * sizeof(float)));
    for (std::uint32_t i = 0; i < num_parts; ++i) {
      OSTREVANE_TRY(const math::Vector3 scale, math::Vector3::unpack(cursor));
      model.default_scales.push_back(scale);
    }
  }

  OSTREVANE_TRY_VOID(read_keyed_map(cursor, model.holding_locations));
  OSTREVANE_TRY_VOID(read_keyed_map(cursor, model.connection_locations));

  // The placement count alone is signed.
  OSTREVANE_TRY(const std::int32_t placement_count, cursor.read_i32());
  if (placement_count < 0) {
    std::string message = "SetupModel 0x" + hex_upper(model.id, 8) +
                          " declared negative placement count " + std::to_string(placement_count);
    return std::unexpected(ParseError::custom_failure(cursor.position(), std::move(message)));
  }
  // Every entry holds at least its key and its hook count.
  model.placement_frames.reserve(cursor.reservable(placement_count, 2 * sizeof(std::uint32_t)));
  for (std::int32_t i = 0; i < placement_count; ++i) {
    OSTREVANE_TRY(const std::uint32_t key, cursor.read_u32());
    OSTREVANE_TRY(PlacementType placement, PlacementType::read(cursor, num_parts));
    model.placement_frames.insert_or_assign(key, std::move(placement));
  }

  OSTREVANE_TRY_VOID(read_list(cursor, CylSphere::kSize, CylSphere::unpack, model.cyl_spheres));
  OSTREVANE_TRY_VOID(read_list(cursor, 4 * sizeof(float), math::Sphere::unpack, model.spheres));

  OSTREVANE_TRY(model.scalar_1, cursor.read_f32());
  OSTREVANE_TRY(model.scalar_2, cursor.read_f32());
  OSTREVANE_TRY(model.scalar_3, cursor.read_f32());
  OSTREVANE_TRY(model.scalar_4, cursor.read_f32());
  OSTREVANE_TRY(model.extra_sphere_1, math::Sphere::unpack(cursor));
  OSTREVANE_TRY(model.extra_sphere_2, math::Sphere::unpack(cursor));

  OSTREVANE_TRY_VOID(read_keyed_map(cursor, model.lights));

  std::optional<std::uint32_t>* const default_ids[] = {&model.default_id_1, &model.default_id_2,
                                                       &model.default_id_3, &model.default_id_4,
                                                       &model.default_id_5};
  for (std::optional<std::uint32_t>* default_id : default_ids) {
    OSTREVANE_TRY(const std::uint32_t stored, cursor.read_u32());
    *default_id = optional_id(stored);
  }
  return model;
}

}  // namespace ostrevane::dat
