#include "write/landblock_encoder.h"

#include <algorithm>
#include <utility>

#include "write/count.h"
#include "write/geometry_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::CellLandblock& block) {
  out.u32(block.id);
  out.u32(block.has_objects);
  for (std::uint16_t word : block.terrain) out.u16(word);
  for (std::uint8_t height : block.height) out.u8(height);
}

void encode(ByteWriter& out, const dat::Stab& stab) {
  out.u32(stab.id);
  encode(out, stab.frame);
}

void encode(ByteWriter& out, const dat::PortalInternal& portal) {
  out.u16(portal.flags);
  out.u16(portal.other_cell_id);
  out.u16(portal.other_portal_id);
  const auto num_stabs = checked_count<std::uint16_t>(portal.stab_list.size(), "stab_list");
  out.u16(num_stabs);
  for (std::uint16_t stab : portal.stab_list) out.u16(stab);
  if (num_stabs % 2 != 0) out.zeros(2);
}

void encode(ByteWriter& out, const dat::BuildInfo& building) {
  out.u32(building.model_id);
  encode(out, building.frame);
  out.u32(building.num_leaves);
  out.u32(checked_count<std::uint32_t>(building.portals.size(), "portals"));
  for (const dat::PortalInternal& portal : building.portals) encode(out, portal);
}

void encode(ByteWriter& out, const dat::RestrictionTable& table) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs(table.tables.begin(),
                                                             table.tables.end());
  std::sort(pairs.begin(), pairs.end());
  out.u16(checked_count<std::uint16_t>(pairs.size(), "restriction pairs"));
  out.u16(0);  // bucket size, discarded by the reader
  for (const auto& [key, value] : pairs) {
    out.u32(key);
    out.u32(value);
  }
}

void encode(ByteWriter& out, const dat::LandblockInfo& info) {
  out.u32(info.id);
  out.u32(info.num_cells);
  out.u32(checked_count<std::uint32_t>(info.objects.size(), "objects"));
  for (const dat::Stab& stab : info.objects) encode(out, stab);
  out.u16(checked_count<std::uint16_t>(info.buildings.size(), "buildings"));
  out.u16(info.pack_mask);
  for (const dat::BuildInfo& building : info.buildings) encode(out, building);
  if (info.pack_mask & dat::LandblockInfo::kRestrictionTableBit) {
    if (info.restriction_tables) {
      encode(out, *info.restriction_tables);
    } else {
      encode(out, dat::RestrictionTable{});
    }
  }
}

std::vector<std::uint8_t> encode_cell_landblock(const dat::CellLandblock& block) {
  ByteWriter out;
  encode(out, block);
  return out.take();
}

std::vector<std::uint8_t> encode_landblock_info(const dat::LandblockInfo& info) {
  ByteWriter out;
  encode(out, info);
  return out.take();
}

}  // namespace ostrevane::write
