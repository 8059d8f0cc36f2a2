// Encoders of the landblock records of the cell archive, mirroring CellLandblock::unpack and
// LandblockInfo::unpack record for record.
#pragma once

#include <cstdint>
#include <vector>

#include "dat/cell_landblock.h"
#include "dat/landblock_info.h"
#include "write/byte_writer.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::CellLandblock& block);  // 251 bytes

void encode(ByteWriter& out, const dat::Stab& stab);
// Writes the 2 alignment bytes (zero) after an odd stab list.
void encode(ByteWriter& out, const dat::PortalInternal& portal);
void encode(ByteWriter& out, const dat::BuildInfo& building);
// Pairs in ascending key order, so equal tables give equal bytes; the bucket size is written 0.
void encode(ByteWriter& out, const dat::RestrictionTable& table);
// The restriction table is written when pack_mask has bit 0 (empty if the record has none) and
// not otherwise, as the reader decides. The u16 counts (buildings, stabs, restriction pairs)
// throw std::length_error when a list exceeds 65535 entries.
void encode(ByteWriter& out, const dat::LandblockInfo& info);

// The bytes of the files 0xXXYYFFFF and 0xXXYYFFFE.
std::vector<std::uint8_t> encode_cell_landblock(const dat::CellLandblock& block);
std::vector<std::uint8_t> encode_landblock_info(const dat::LandblockInfo& info);

}  // namespace ostrevane::write
