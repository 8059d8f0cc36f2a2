// Encoders of scenes and their object descriptions, mirroring Scene::unpack and
// ObjectDesc::unpack.
#pragma once

#include <cstdint>
#include <vector>

#include "dat/object_desc.h"
#include "dat/scene.h"
#include "write/byte_writer.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::ObjectDesc& desc);  // 76 bytes
void encode(ByteWriter& out, const dat::Scene& scene);      // 8 + 76n bytes

// The bytes of a scene file.
std::vector<std::uint8_t> encode_scene(const dat::Scene& scene);

}  // namespace ostrevane::write
