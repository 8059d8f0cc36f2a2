// The procedural scenery of one landblock. For each terrain vertex, a hash of its global position
// picks one of the scenes its terrain type allows; for each object of that scene further hashes
// decide whether it appears, its offset, heading and scale, and the object is dropped when it
// would stand on a road, outside the landblock, or overlap a building or scenery placed before
// it. The result is a pure function of the inputs: the same inputs give the same placements, bit
// for bit and in the same order.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dat/cell_landblock.h"
#include "dat/object_desc.h"
#include "dat/region.h"
#include "math/vector3.h"
#include "scenery/footprint.h"
#include "scenery/function_ref.h"

namespace ostrevane::scenery {

// One placed object, in landblock-local coordinates. The orientation is a turn about the
// vertical axis: qx and qy are always 0.
struct Placement {
  std::uint32_t obj_id = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float qw = 1.0f;
  float qx = 0.0f;
  float qy = 0.0f;
  float qz = 0.0f;
  float scale = 1.0f;
  std::uint32_t source_cell_x = 0;   // x index (0..8) of the vertex whose scene placed it
  std::uint32_t source_cell_y = 0;   // y index (0..8) of that vertex
  std::uint32_t source_obj_idx = 0;  // index of the object in the scene, placed or not

  friend bool operator==(const Placement&, const Placement&) = default;
};

// The objects of a scene, or null when the scene cannot be had. The list must stay valid until
// the next call of the lookup.
using SceneLookup = FunctionRef<const std::vector<dat::ObjectDesc>*(std::uint32_t scene_id)>;

// The local vertices of a model, or null when the model yields none. The list must stay valid
// until the next call of the lookup; an empty list counts as none.
using MeshLookup = FunctionRef<const std::vector<math::Vector3>*(std::uint32_t model_id)>;

// Bakes the landblock whose id, shifted left by 16, is `landblock_key` (0xXXYY0000). Placements
// come out vertex by vertex (x index major), and within a vertex in scene order.
//
// `building_footprints` keep scenery off the landblock's buildings. `use_slope_and_bilinear`
// selects the objects' slope limits and the bilinear height; without it no slope is checked and
// the height is that of the terrain triangles.
//
// Never fails: a region without scene types, a vertex whose terrain names no scene, a scene or
// a mesh the lookups cannot provide all just mean fewer placements. Allocates nothing beyond
// the returned list and the indexes of the building footprints and of those placed so far.
std::vector<Placement> bake_landblock_impl(const dat::Region& region,
                                           const dat::CellLandblock& landblock,
                                           std::uint32_t landblock_key, SceneLookup scene_lookup,
                                           MeshLookup mesh_lookup,
                                           std::span<const Footprint> building_footprints,
                                           bool use_slope_and_bilinear);

}  // namespace ostrevane::scenery
