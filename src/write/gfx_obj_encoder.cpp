#include "write/gfx_obj_encoder.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

#include "write/geometry_encoder.h"

namespace ostrevane::write {

namespace {

template <class Map>
std::vector<typename Map::key_type> sorted_keys(const Map& map) {
  std::vector<typename Map::key_type> keys;
  keys.reserve(map.size());
  for (const auto& entry : map) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());
  return keys;
}

void encode_polygons(ByteWriter& out, const std::unordered_map<std::uint16_t, dat::Polygon>& map) {
  out.compressed_u32(static_cast<std::uint32_t>(map.size()));
  for (std::uint16_t id : sorted_keys(map)) {
    out.u16(id);
    encode(out, map.at(id));
  }
}

// Stands in for a tree the flags announce but the object lacks.
const dat::BspNode& tree_or_empty(const std::optional<dat::BspNode>& tree) {
  static const dat::BspNode empty_leaf;
  return tree ? *tree : empty_leaf;
}

}  // namespace

void encode(ByteWriter& out, const dat::SWVertex& vertex) {
  assert(vertex.uvs.size() == vertex.num_uvs);
  out.u16(vertex.num_uvs);
  encode(out, vertex.origin);
  encode(out, vertex.normal);
  for (const dat::Vec2Duv& uv : vertex.uvs) encode(out, uv);
}

void encode(ByteWriter& out, const dat::CVertexArray& array) {
  out.u32(array.vertex_type);
  out.u32(static_cast<std::uint32_t>(array.vertices.size()));
  if (array.vertex_type != dat::kVertexTypeWithVertices) return;
  for (std::uint16_t id : sorted_keys(array.vertices)) {
    out.u16(id);
    encode(out, array.vertices.at(id));
  }
}

void encode(ByteWriter& out, const dat::Polygon& polygon) {
  assert(polygon.vertex_ids.size() == polygon.num_vertices);
  assert(!polygon.has_pos_uv_indices() || polygon.pos_uv_indices.size() == polygon.num_vertices);
  assert(!polygon.has_neg_uv_indices() || polygon.neg_uv_indices.size() == polygon.num_vertices);
  out.u8(polygon.num_vertices);
  out.u8(polygon.stippling);
  out.i32(polygon.sides_type);
  out.put(polygon.pos_surface);
  out.put(polygon.neg_surface);
  for (std::uint16_t id : polygon.vertex_ids) out.u16(id);
  if (polygon.has_pos_uv_indices()) out.raw(polygon.pos_uv_indices);
  if (polygon.has_neg_uv_indices()) out.raw(polygon.neg_uv_indices);
}

void encode(ByteWriter& out, const dat::GfxObj& object) {
  out.u32(object.id);
  out.u32(object.flags);
  out.smart_vec(object.surfaces);
  encode(out, object.vertex_array);
  if ((object.flags & dat::kGfxHasPhysics) != 0) {
    assert(object.physics_bsp.has_value());
    encode_polygons(out, object.physics_polygons);
    encode(out, tree_or_empty(object.physics_bsp), dat::BspTreeKind::Physics);
  }
  encode(out, object.sort_center);
  if ((object.flags & dat::kGfxHasDrawing) != 0) {
    assert(object.drawing_bsp.has_value());
    encode_polygons(out, object.drawing_polygons);
    encode(out, tree_or_empty(object.drawing_bsp), dat::BspTreeKind::Drawing);
  }
  if ((object.flags & dat::kGfxHasDegradeId) != 0) out.u32(object.degrade_id.value_or(0));
}

std::vector<std::uint8_t> encode_gfx_obj(const dat::GfxObj& object) {
  ByteWriter out;
  encode(out, object);
  return out.take();
}

}  // namespace ostrevane::write
