#include "dat/landblock_info.h"

#include "dat/list_reader.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

std::expected<Frame, ParseError> read_landblock_frame(ByteCursor& cursor) {
  return Frame::unpack(cursor, kLandblockSource);
}

std::expected<std::unordered_map<std::uint32_t, std::uint32_t>, ParseError> read_restriction_pairs(
    ByteCursor& cursor, std::uint16_t count) {
  std::unordered_map<std::uint32_t, std::uint32_t> pairs;
  pairs.reserve(cursor.reservable(count, 2 * sizeof(std::uint32_t)));
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const std::uint32_t key, cursor.read_u32());
    OSTREVANE_TRY(const std::uint32_t value, cursor.read_u32());
    pairs.insert_or_assign(key, value);  // a repeated key: the later pair wins
  }
  return pairs;
}

}  // namespace

std::expected<Stab, ParseError> Stab::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "Stab", kLandblockSource);
  Stab stab;
  OSTREVANE_TRY(stab.id, fields.read("id", id_line, read_u32));
  OSTREVANE_TRY(stab.frame, fields.read("frame", frame_line, read_landblock_frame));
  return stab;
}

std::expected<PortalInternal, ParseError> PortalInternal::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "PortalInternal", kLandblockSource);
  PortalInternal portal;
  OSTREVANE_TRY(portal.flags, fields.read("flags", flags_line, read_u16));
  OSTREVANE_TRY(portal.other_cell_id, fields.read("other_cell_id", other_cell_id_line, read_u16));
  OSTREVANE_TRY(portal.other_portal_id,
                fields.read("other_portal_id", other_portal_id_line, read_u16));
  OSTREVANE_TRY(const std::uint16_t num_stabs, fields.read("num_stabs", num_stabs_line, read_u16));
  OSTREVANE_TRY(portal.stab_list, fields.read("stab_list", stab_list_line, [&](ByteCursor& c) {
    return read_scalar_block<std::uint16_t>(c, num_stabs);
  }));
  // Skipped, not read: a buffer may end right after an odd stab list.
  if (num_stabs % 2 != 0) cursor.skip(2);
  return portal;
}

std::expected<BuildInfo, ParseError> BuildInfo::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "BuildInfo", kLandblockSource);
  BuildInfo building;
  OSTREVANE_TRY(building.model_id, fields.read("model_id", model_id_line, read_u32));
  OSTREVANE_TRY(building.frame, fields.read("frame", frame_line, read_landblock_frame));
  OSTREVANE_TRY(building.num_leaves, fields.read("num_leaves", num_leaves_line, read_u32));
  OSTREVANE_TRY(const std::uint32_t num_portals,
                fields.read("num_portals", num_portals_line, read_u32));
  OSTREVANE_TRY(building.portals, fields.read("portals", portals_line, [&](ByteCursor& c) {
    return read_list(c, num_portals, PortalInternal::kMinSize, PortalInternal::unpack);
  }));
  return building;
}

std::expected<RestrictionTable, ParseError> RestrictionTable::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "RestrictionTable", kLandblockSource);
  RestrictionTable table;
  OSTREVANE_TRY(const std::uint16_t count, fields.read("count", count_line, read_u16));
  OSTREVANE_TRY_VOID(fields.read("_bucket_size", _bucket_size_line, read_u16));
  OSTREVANE_TRY(table.tables, fields.read("tables", tables_line, [&](ByteCursor& c) {
    return read_restriction_pairs(c, count);
  }));
  return table;
}

std::expected<LandblockInfo, ParseError> LandblockInfo::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "LandblockInfo", kLandblockSource);
  LandblockInfo info;
  OSTREVANE_TRY(info.id, fields.read("id", id_line, read_u32));
  OSTREVANE_TRY(info.num_cells, fields.read("num_cells", num_cells_line, read_u32));
  OSTREVANE_TRY(const std::uint32_t num_objects,
                fields.read("num_objects", num_objects_line, read_u32));
  OSTREVANE_TRY(info.objects, fields.read("objects", objects_line, [&](ByteCursor& c) {
    return read_list(c, num_objects, Stab::kSize, Stab::unpack);
  }));
  OSTREVANE_TRY(const std::uint16_t num_buildings,
                fields.read("num_buildings", num_buildings_line, read_u16));
  OSTREVANE_TRY(info.pack_mask, fields.read("pack_mask", pack_mask_line, read_u16));
  OSTREVANE_TRY(info.buildings, fields.read("buildings", buildings_line, [&](ByteCursor& c) {
    return read_list(c, num_buildings, BuildInfo::kMinSize, BuildInfo::unpack);
  }));
  if (info.pack_mask & kRestrictionTableBit) {
    OSTREVANE_TRY(
        info.restriction_tables,
        fields.read("restriction_tables", restriction_tables_line, RestrictionTable::unpack));
  }
  return info;
}

}  // namespace ostrevane::dat
