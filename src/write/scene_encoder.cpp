#include "write/scene_encoder.h"

#include "write/count.h"
#include "write/geometry_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::ObjectDesc& desc) {
  out.u32(desc.object_id);
  encode(out, desc.frame);
  out.f32(desc.frequency);
  out.f32(desc.displace_x);
  out.f32(desc.displace_y);
  out.f32(desc.min_scale);
  out.f32(desc.max_scale);
  out.f32(desc.max_rotation);
  out.f32(desc.min_slope);
  out.f32(desc.max_slope);
  out.u32(desc.extra_word_1);
  out.u32(desc.extra_word_2);
  out.u32(desc.skip_flag);
}

void encode(ByteWriter& out, const dat::Scene& scene) {
  out.u32(scene.id);
  out.u32(checked_count<std::uint32_t>(scene.objects.size(), "Scene objects"));
  for (const dat::ObjectDesc& desc : scene.objects) encode(out, desc);
}

std::vector<std::uint8_t> encode_scene(const dat::Scene& scene) {
  ByteWriter out;
  encode(out, scene);
  return out.take();
}

}  // namespace ostrevane::write
