// Terrain height and slope inside one landblock. A landblock has 9 × 9 vertices 24 units apart,
// x-major (entry x·9 + y is the vertex at (24·x, 24·y)); points are landblock-local, 0 to 192 on
// each axis. All arithmetic is single precision and the evaluation order of every expression is
// part of the result: heights and slopes go into the baked placements bit for bit.
//
// None of the functions fails or allocates. Points outside the landblock, infinite or NaN are
// clamped onto the grid, so every index stays in 0..8.
#pragma once

#include <array>
#include <cstdint>

#include "dat/cell_landblock.h"
#include "dat/region.h"

namespace ostrevane::scenery {

inline constexpr float kCellSize = 24.0f;
inline constexpr float kLandblockSize = 192.0f;

using VertexHeights = std::array<float, dat::kLandblockVertices>;

// Looks every height byte up in the region's height table. A byte beyond the table's end (never
// with a full 256-entry table) takes the table's last entry.
VertexHeights vertex_heights(const dat::Region& region, const dat::CellLandblock& landblock);

// Height interpolated between the four vertices of the point's cell. The point is clamped to
// [0, 192] on each axis first (NaN becomes 0).
float bilinear_height_from_grid(const VertexHeights& heights, float px, float py);

// Height of the plane through the triangle of the point's cell that contains it. Each cell is
// split along one of its diagonals, chosen by a hash of the cell's global indices; `landblock_id`
// is the 16-bit id 0xXXYY that places the landblock in the world.
float triangle_plane_height_from_grid(const VertexHeights& heights, std::uint32_t landblock_id,
                                      float px, float py);

// Terrain slope of the point's cell in radians: the arc tangent of the length of the cell's mean
// gradient. Where the point lies inside the cell does not matter.
float slope_at(const VertexHeights& heights, float px, float py);

}  // namespace ostrevane::scenery
