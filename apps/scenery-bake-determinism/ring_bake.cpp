#include "scenery-bake-determinism/ring_bake.h"

#include <optional>

#include "dat/cell_landblock.h"
#include "dat/landblock_info.h"
#include "scenery-bake-determinism/fetch_record.h"
#include "scenery-bake-determinism/mesh_cache.h"
#include "scenery-bake-determinism/placement_line.h"
#include "scenery-bake-determinism/scene_cache.h"
#include "scenery/bake_landblock.h"
#include "scenery/footprint.h"

namespace ostrevane::determinism {

std::vector<std::uint16_t> ring_landblock_ids() {
  std::vector<std::uint16_t> ids;
  ids.reserve(13 * 13);
  for (std::uint16_t x = 0xA3; x <= 0xAF; ++x) {
    for (std::uint16_t y = 0xAE; y <= 0xBA; ++y) ids.push_back(static_cast<std::uint16_t>(x << 8 | y));
  }
  return ids;
}

RingLines bake_ring_to_lines(const dat::Region& region, const dat::DatDatabase& portal,
                             const dat::DatDatabase& cell, const std::vector<std::uint16_t>& ids) {
  MeshCache meshes;
  SceneCache scenes;
  const auto scene_lookup = [&](std::uint32_t id) { return scenes.lookup(portal, id); };
  const auto mesh_lookup = [&](std::uint32_t id) { return meshes.lookup(portal, id); };

  RingLines result;
  result.reserve(ids.size());
  std::vector<scenery::Footprint> footprints;
  for (const std::uint16_t id : ids) {
    const std::uint32_t key = std::uint32_t{id} << 16;
    std::vector<std::string> lines;
    if (auto terrain = fetch_record<dat::CellLandblock>(cell, key | 0xFFFF)) {
      footprints.clear();
      if (auto info = fetch_record<dat::LandblockInfo>(cell, key | 0xFFFE)) {
        for (const dat::BuildInfo& building : info->buildings) {
          if (const auto* mesh = meshes.lookup(portal, building.model_id)) {
            footprints.push_back(scenery::building_footprint(*mesh, building.frame));
          }
        }
      }
      const std::vector<scenery::Placement> placements = scenery::bake_landblock_impl(
          region, *terrain, key, scene_lookup, mesh_lookup, footprints, false);
      lines.reserve(placements.size());
      for (const scenery::Placement& placement : placements) {
        lines.push_back(placement_line(placement));
      }
    }
    result.emplace_back(id, std::move(lines));
  }
  return result;
}

}  // namespace ostrevane::determinism
