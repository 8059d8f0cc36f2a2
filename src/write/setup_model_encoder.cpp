#include "write/setup_model_encoder.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <optional>
#include <unordered_map>

#include "write/geometry_encoder.h"

namespace ostrevane::write {

namespace {

template <class Record>
void encode_keyed_map(ByteWriter& out, const std::unordered_map<std::uint32_t, Record>& map) {
  std::vector<std::uint32_t> keys;
  keys.reserve(map.size());
  for (const auto& entry : map) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());
  for (std::uint32_t key : keys) {
    out.u32(key);
    encode(out, map.at(key));
  }
}

template <class Record>
void encode_counted_map(ByteWriter& out, const std::unordered_map<std::uint32_t, Record>& map) {
  out.u32(static_cast<std::uint32_t>(map.size()));
  encode_keyed_map(out, map);
}

template <class Record>
void encode_list(ByteWriter& out, const std::vector<Record>& list) {
  out.u32(static_cast<std::uint32_t>(list.size()));
  for (const Record& record : list) encode(out, record);
}

}  // namespace

void encode(ByteWriter& out, const dat::CylSphere& cyl) {
  encode(out, cyl.origin);
  out.f32(cyl.radius);
  out.f32(cyl.height);
}

void encode(ByteWriter& out, const dat::LightInfo& light) {
  encode(out, light.viewer_space_location);
  out.u32(light.color);
  out.f32(light.intensity);
  out.f32(light.falloff);
  out.f32(light.cone_angle);
}

void encode(ByteWriter& out, const dat::LocationType& location) {
  out.u32(location.part_id);
  encode(out, location.frame);
}

void encode(ByteWriter& out, const dat::AnimationHook& hook) {
  out.u32(hook.hook_type);
  out.u32(hook.param);
  out.raw(hook.payload);
}

void encode(ByteWriter& out, const dat::PlacementType& placement) {
  for (const dat::Frame& frame : placement.frames) encode(out, frame);
  encode_list(out, placement.hooks);
}

void encode(ByteWriter& out, const dat::SetupModel& model) {
  const std::size_t num_parts = model.parts.size();
  out.u32(model.id);
  out.u32(model.flags);
  out.u32(static_cast<std::uint32_t>(num_parts));
  for (std::uint32_t part : model.parts) out.u32(part);
  if ((model.flags & dat::kSetupHasParentIndices) != 0) {
    assert(model.parent_indices.size() == num_parts);
    for (std::uint32_t parent : model.parent_indices) out.u32(parent);
  }
  if ((model.flags & dat::kSetupHasDefaultScales) != 0) {
    assert(model.default_scales.size() == num_parts);
    for (const math::Vector3& scale : model.default_scales) encode(out, scale);
  }

  encode_counted_map(out, model.holding_locations);
  encode_counted_map(out, model.connection_locations);

  assert(model.placement_frames.size() <= std::numeric_limits<std::int32_t>::max());
  out.i32(static_cast<std::int32_t>(model.placement_frames.size()));
  for ([[maybe_unused]] const auto& [key, placement] : model.placement_frames) {
    assert(placement.frames.size() == num_parts);
  }
  encode_keyed_map(out, model.placement_frames);

  encode_list(out, model.cyl_spheres);
  encode_list(out, model.spheres);
  out.f32(model.scalar_1);
  out.f32(model.scalar_2);
  out.f32(model.scalar_3);
  out.f32(model.scalar_4);
  encode(out, model.extra_sphere_1);
  encode(out, model.extra_sphere_2);
  encode_counted_map(out, model.lights);

  for (const std::optional<std::uint32_t>* default_id :
       {&model.default_id_1, &model.default_id_2, &model.default_id_3, &model.default_id_4,
        &model.default_id_5}) {
    out.u32(default_id->value_or(0));  // 0 stands for absent
  }
}

std::vector<std::uint8_t> encode_setup_model(const dat::SetupModel& model) {
  ByteWriter out;
  encode(out, model);
  return out.take();
}

}  // namespace ostrevane::write
