#include "scenery/bake_landblock.h"

#include <cmath>
#include <cstddef>

#include "scenery/footprint_index.h"
#include "scenery/height.h"
#include "scenery/position_hash.h"
#include "scenery/saturating_cast.h"

namespace ostrevane::scenery {
namespace {

// The f32 nearest 0.0174533, widened: the heading is computed in double from this value.
constexpr double kDegreesToRadians = static_cast<double>(0.0174533f);
constexpr std::uint16_t kRoadBits = 0x3;

// The terrain vertex whose scene is being placed.
struct Vertex {
  std::uint32_t x = 0;  // landblock-local indices, 0..8
  std::uint32_t y = 0;
  float origin_x = 0.0f;  // landblock-local position
  float origin_y = 0.0f;
  VertexDraws draws;
};

// The scene ids a terrain word may draw from, or null when its terrain type, scene selector or
// scene type index is out of range.
const std::vector<std::uint32_t>* scene_ids_of(const dat::Region& region, std::uint16_t word) {
  const std::uint32_t terrain_type = (word >> 2) & 0x1F;
  const std::uint32_t selector = word >> 11;
  const auto& terrain_types = region.terrain_desc.terrain_types;
  if (terrain_type >= terrain_types.size()) return nullptr;
  const auto& scene_type_indices = terrain_types[terrain_type].scene_type_indices;
  if (selector >= scene_type_indices.size()) return nullptr;
  const std::uint32_t scene_type = scene_type_indices[selector];
  const auto& scene_types = region.scene_desc->scene_types;
  if (scene_type >= scene_types.size()) return nullptr;
  return &scene_types[scene_type].scene_ids;
}

class LandblockBake {
 public:
  LandblockBake(const dat::CellLandblock& landblock, std::uint32_t landblock_key,
                const VertexHeights& heights, MeshLookup mesh_lookup,
                std::span<const Footprint> building_footprints, bool use_slope_and_bilinear,
                std::vector<Placement>& placements)
      : landblock_(landblock),
        landblock_id_(landblock_key >> 16),
        heights_(heights),
        mesh_lookup_(mesh_lookup),
        buildings_(building_footprints),
        use_slope_and_bilinear_(use_slope_and_bilinear),
        placements_(placements) {}

  // Places object `index` of the vertex's scene, or drops it.
  void consider(const dat::ObjectDesc& object, std::uint32_t index, const Vertex& vertex);

 private:
  bool on_road(float px, float py) const;
  bool overlaps_anything(const Footprint& footprint) const;

  const dat::CellLandblock& landblock_;
  std::uint32_t landblock_id_;
  const VertexHeights& heights_;
  MeshLookup mesh_lookup_;
  FootprintIndex buildings_;
  bool use_slope_and_bilinear_;
  std::vector<Placement>& placements_;
  FootprintIndex placed_;  // footprints of placements_
};

void LandblockBake::consider(const dat::ObjectDesc& object, std::uint32_t index,
                             const Vertex& vertex) {
  const VertexDraws& draws = vertex.draws;
  // NaN frequency fails the test and is never placed
  if (!(static_cast<double>(object.frequency) > draws.frequency)) return;
  if (object.skip_flag != 0) return;

  // displacement in double, one rounding to f32; a NaN displacement takes the displaced path
  float dx = object.frame.origin.x;
  if (!(object.displace_x <= 0.0f)) {
    dx = static_cast<float>(static_cast<double>(object.frame.origin.x) +
                            static_cast<double>(object.displace_x) *
                                draws.object_draw(index, kSaltDisplaceX));
  }
  float dy = object.frame.origin.y;
  if (!(object.displace_y <= 0.0f)) {
    dy = static_cast<float>(static_cast<double>(object.frame.origin.y) +
                            static_cast<double>(object.displace_y) *
                                draws.object_draw(index, kSaltDisplaceY));
  }

  // quarter turns of the offset, chosen once per vertex
  float ox = dx;
  float oy = dy;
  if (draws.quadrant >= 0.75) {
    ox = dy;
    oy = -dx;
  } else if (draws.quadrant >= 0.5) {
    ox = -dx;
    oy = -dy;
  } else if (draws.quadrant >= 0.25) {
    ox = -dy;
    oy = dx;
  }

  // bounds: 0 and 192 are inside; a NaN position fails no test and goes on
  const float px = ox + vertex.origin_x;
  const float py = oy + vertex.origin_y;
  if (px > kLandblockSize || px < 0.0f || py < 0.0f || py > kLandblockSize) return;

  if (on_road(px, py)) return;

  float z;
  if (use_slope_and_bilinear_) {
    const float slope = slope_at(heights_, px, py);
    if (object.min_slope > slope || slope > object.max_slope) return;
    z = bilinear_height_from_grid(heights_, px, py);
  } else {
    z = triangle_plane_height_from_grid(heights_, landblock_id_, px, py);
  }

  // heading in double from degrees, one rounding to f32; a NaN limit takes the drawn path
  float heading = 0.0f;
  if (!(object.max_rotation <= 0.0f)) {
    heading = static_cast<float>(
        (static_cast<double>(object.max_rotation) * draws.object_draw(index, kSaltRotation)) *
        kDegreesToRadians);
  }

  // log-uniform scale between the bounds, in double, one rounding to f32
  float scale = object.max_scale;
  if (object.min_scale != object.max_scale) {
    scale = static_cast<float>(
        std::pow(static_cast<double>(object.max_scale) / static_cast<double>(object.min_scale),
                 draws.object_draw(index, kSaltScale)) *
        static_cast<double>(object.min_scale));
  }

  const std::vector<math::Vector3>* mesh = mesh_lookup_(object.object_id);
  if (mesh == nullptr || mesh->empty()) return;

  // footprint of the turned, scaled model at the position, in single precision
  float sin_heading;
  float cos_heading;
  ::sincosf(heading, &sin_heading, &cos_heading);
  const Footprint footprint = turned_footprint(*mesh, cos_heading, sin_heading, scale, px, py);
  if (overlaps_anything(footprint)) return;

  float qz;
  float qw;
  ::sincosf(heading * 0.5f, &qz, &qw);
  placed_.add(footprint);
  placements_.push_back(Placement{.obj_id = object.object_id,
                                  .x = px,
                                  .y = py,
                                  .z = z,
                                  .qw = qw,
                                  .qx = 0.0f,
                                  .qy = 0.0f,
                                  .qz = qz,
                                  .scale = scale,
                                  .source_cell_x = vertex.x,
                                  .source_cell_y = vertex.y,
                                  .source_obj_idx = index});
}

// road test: the corner vertex (qx, qy) of the cell holding the position decides
bool LandblockBake::on_road(float px, float py) const {
  const std::int32_t qx = saturating_cast<std::int32_t>(std::floor(px / kCellSize));
  const std::int32_t qy = saturating_cast<std::int32_t>(std::floor(py / kCellSize));
  if (qx < 0 || qy < 0) return false;
  // in 64 bits: no overflow whatever the saturated indices
  const std::uint64_t e = static_cast<std::uint64_t>(qx) * 9 + static_cast<std::uint64_t>(qy);
  if (e >= landblock_.terrain.size()) return false;
  return (landblock_.terrain[e] & kRoadBits) != 0;
}

// buildings first, then earlier scenery in placement order
bool LandblockBake::overlaps_anything(const Footprint& footprint) const {
  return buildings_.overlaps_any(footprint) || placed_.overlaps_any(footprint);
}

}  // namespace

std::vector<Placement> bake_landblock_impl(const dat::Region& region,
                                           const dat::CellLandblock& landblock,
                                           std::uint32_t landblock_key, SceneLookup scene_lookup,
                                           MeshLookup mesh_lookup,
                                           std::span<const Footprint> building_footprints,
                                           bool use_slope_and_bilinear) {
  std::vector<Placement> placements;
  if (!region.scene_desc) return placements;

  const VertexHeights heights = vertex_heights(region, landblock);
  LandblockBake bake(landblock, landblock_key, heights, mesh_lookup, building_footprints,
                     use_slope_and_bilinear, placements);
  const std::uint32_t landblock_x = landblock_key >> 24;
  const std::uint32_t landblock_y = (landblock_key >> 16) & 0xFF;

  for (std::size_t i = 0; i < landblock.terrain.size(); ++i) {
    const std::vector<std::uint32_t>* scene_ids = scene_ids_of(region, landblock.terrain[i]);
    if (scene_ids == nullptr || scene_ids->empty()) continue;

    Vertex vertex;
    vertex.x = static_cast<std::uint32_t>(i / 9);
    vertex.y = static_cast<std::uint32_t>(i % 9);
    const std::uint32_t global_x = 8 * landblock_x + vertex.x;
    const std::uint32_t global_y = 8 * landblock_y + vertex.y;

    // scene choice; the index is forced into range whatever the rounding
    const std::size_t n = scene_ids->size();
    std::size_t k = saturating_cast<std::uint64_t>(static_cast<double>(n) *
                                                   unit_random(scene_hash(global_x, global_y)));
    if (k >= n) k = 0;
    const std::vector<dat::ObjectDesc>* objects = scene_lookup((*scene_ids)[k]);
    if (objects == nullptr || objects->empty()) continue;

    vertex.draws = vertex_draws(global_x, global_y);
    vertex.origin_x = static_cast<float>(vertex.x * 24);
    vertex.origin_y = static_cast<float>(vertex.y * 24);
    std::uint32_t index = 0;
    for (const dat::ObjectDesc& object : *objects) {
      bake.consider(object, index, vertex);
      ++index;
    }
  }
  return placements;
}

}  // namespace ostrevane::scenery
