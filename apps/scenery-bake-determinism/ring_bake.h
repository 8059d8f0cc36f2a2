// One bake run of the determinism tool: the 13 × 13 ring of landblocks centred on 0xA9B4,
// baked landblock by landblock into JSON lines.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dat/dat_database.h"
#include "dat/region.h"

namespace ostrevane::determinism {

// The ordered (landblock id, lines) pairs of one run; a line has no terminator.
using RingLines = std::vector<std::pair<std::uint16_t, std::vector<std::string>>>;

// x index 0xA3..0xAF (outer), y index 0xAE..0xBA (inner): 169 ids.
std::vector<std::uint16_t> ring_landblock_ids();

// Bakes every landblock of `ids` in order with fresh scene and mesh caches. Never fails and
// prints nothing: a landblock whose terrain record is missing or unreadable has no lines, one
// without a readable LandblockInfo has no building footprints.
RingLines bake_ring_to_lines(const dat::Region& region, const dat::DatDatabase& portal,
                             const dat::DatDatabase& cell, const std::vector<std::uint16_t>& ids);

}  // namespace ostrevane::determinism
