// Encoders of the region record and its sections, mirroring their readers section for section.
// Strings are padded to 4 counted from the start of the writer's buffer, so a region must be
// encoded into a writer that starts with it (as encode_region does).
#pragma once

#include <cstdint>
#include <vector>

#include "dat/region.h"
#include "write/byte_writer.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::SkyDesc& sky);
void encode(ByteWriter& out, const dat::SoundDesc& sound);
void encode(ByteWriter& out, const dat::SceneDesc& scene);
void encode(ByteWriter& out, const dat::TerrainDesc& terrain);
void encode(ByteWriter& out, const dat::RegionMisc& misc);

// Writes the optional sections that section_mask selects; a selected section that is absent in
// `region` is written empty (all counts 0, all words 0), an unselected one is not written.
void encode(ByteWriter& out, const dat::Region& region);

// The bytes of a region file.
std::vector<std::uint8_t> encode_region(const dat::Region& region);

}  // namespace ostrevane::write
