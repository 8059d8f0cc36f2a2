// What stands on a landblock besides its terrain (cell-archive file 0xXXYYFFFE): static
// objects, buildings with their portals and an optional restriction table. Every record is read
// field by field (source crates/ostrevane-dat/src/landblock): a failure carries the frame of
// every level it passed, innermost first, and leaves the cursor at the failed record's start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dat/byte_cursor.h"
#include "dat/field_reader.h"
#include "dat/frame.h"

namespace ostrevane::dat {

// A static object: its model and where it stands. 32 bytes.
struct Stab {
  std::uint32_t id = 0; OSTREVANE_FIELD_LINE(id);
  Frame frame; OSTREVANE_FIELD_LINE(frame);

  static constexpr std::size_t kSize = 32;

  static std::expected<Stab, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Stab&, const Stab&) = default;
};

// A portal of a building: 8 bytes, 2 per stab, and 2 skipped bytes after an odd stab list so
// that the entry ends on a multiple of 4 of its start. The skipped bytes are never read.
struct PortalInternal {
  std::uint16_t flags = 0; OSTREVANE_FIELD_LINE(flags);
  std::uint16_t other_cell_id = 0; OSTREVANE_FIELD_LINE(other_cell_id);
  std::uint16_t other_portal_id = 0; OSTREVANE_FIELD_LINE(other_portal_id);
  OSTREVANE_FIELD_LINE(num_stabs);  // u16: the length of stab_list
  std::vector<std::uint16_t> stab_list; OSTREVANE_FIELD_LINE(stab_list);

  static constexpr std::size_t kMinSize = 8;

  static std::expected<PortalInternal, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const PortalInternal&, const PortalInternal&) = default;
};

// A building: its model (a setup model or graphics object of the portal archive), where it
// stands and its portals. 40 bytes plus the portals.
struct BuildInfo {
  std::uint32_t model_id = 0; OSTREVANE_FIELD_LINE(model_id);
  Frame frame; OSTREVANE_FIELD_LINE(frame);
  std::uint32_t num_leaves = 0; OSTREVANE_FIELD_LINE(num_leaves);
  OSTREVANE_FIELD_LINE(num_portals);  // u32: the length of portals
  std::vector<PortalInternal> portals; OSTREVANE_FIELD_LINE(portals);

  static constexpr std::size_t kMinSize = 40;

  static std::expected<BuildInfo, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const BuildInfo&, const BuildInfo&) = default;
};

// A u16 count, a discarded u16 bucket size, then count (key, value) pairs of u32; when a key
// repeats the later pair wins.
struct RestrictionTable {
  OSTREVANE_FIELD_LINE(count);  // u16: the number of pairs
  OSTREVANE_FIELD_LINE(_bucket_size);  // u16: read and discarded
  std::unordered_map<std::uint32_t, std::uint32_t> tables; OSTREVANE_FIELD_LINE(tables);

  static std::expected<RestrictionTable, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const RestrictionTable&, const RestrictionTable&) = default;
};

struct LandblockInfo {
  // Bit of pack_mask: a restriction table follows the buildings.
  static constexpr std::uint16_t kRestrictionTableBit = 0x1;

  std::uint32_t id = 0; OSTREVANE_FIELD_LINE(id);
  std::uint32_t num_cells = 0; OSTREVANE_FIELD_LINE(num_cells);
  OSTREVANE_FIELD_LINE(num_objects);  // u32: the length of objects
  std::vector<Stab> objects; OSTREVANE_FIELD_LINE(objects);
  OSTREVANE_FIELD_LINE(num_buildings);  // u16, before pack_mask: the length of buildings
  std::vector<BuildInfo> buildings; OSTREVANE_FIELD_LINE(buildings);
  std::uint16_t pack_mask = 0; OSTREVANE_FIELD_LINE(pack_mask);
  std::optional<RestrictionTable> restriction_tables; OSTREVANE_FIELD_LINE(restriction_tables);

  // Reads id, num_cells, num_objects, the objects, num_buildings, pack_mask, the buildings and,
  // when pack_mask has bit 0, the restriction table. Counts are trusted: one larger than the
  // data ends in "failed to fill whole buffer". Bytes after the last field are ignored.
  static std::expected<LandblockInfo, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const LandblockInfo&, const LandblockInfo&) = default;
};

}  // namespace ostrevane::dat
