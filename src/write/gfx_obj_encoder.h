// Encoders of the graphics object and its vertex array and polygons, mirroring GfxObj::unpack
// record for record. Keyed maps are written sorted by key, so equal records give equal bytes.
//
// Counts that a record keeps beside its lists must agree with them (checked by assertions): an
// SWVertex's `num_uvs` with `uvs`, a Polygon's `num_vertices` with each list its `stippling` and
// `sides_type` call for. A GfxObj must hold the tree of each section its `flags` announce; a
// missing one is written as an empty leaf.
#pragma once

#include <cstdint>
#include <vector>

#include "dat/gfx_obj.h"
#include "dat/polygon.h"
#include "dat/vertex_array.h"
#include "write/bsp_encoder.h"
#include "write/byte_writer.h"
#include "write/geometry_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::SWVertex& vertex);
// vertex_type, the vertex count, and for type 1 the (vertex_id, SWVertex) entries. Vertices held
// under another type are counted but not written, as the reader would skip them.
void encode(ByteWriter& out, const dat::CVertexArray& array);
void encode(ByteWriter& out, const dat::Polygon& polygon);
void encode(ByteWriter& out, const dat::GfxObj& object);

std::vector<std::uint8_t> encode_gfx_obj(const dat::GfxObj& object);

}  // namespace ostrevane::write
