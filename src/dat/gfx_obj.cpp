#include "dat/gfx_obj.h"

#include "dat/field_readers.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

// A packed count, then (u16 id, Polygon) entries; a later id replaces an earlier one.
std::expected<void, ParseError> read_polygons(ByteCursor& cursor,
                                              std::unordered_map<std::uint16_t, Polygon>& map) {
  OSTREVANE_TRY(const std::uint32_t count, read_compressed_u32(cursor));
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const std::uint16_t polygon_id, cursor.read_u16());
    OSTREVANE_TRY(Polygon polygon, Polygon::unpack(cursor));
    map.insert_or_assign(polygon_id, std::move(polygon));
  }
  return {};
}

}  // namespace

std::expected<GfxObj, ParseError> GfxObj::unpack(ByteCursor& cursor) {
  GfxObj object;
  OSTREVANE_TRY(object.id, cursor.read_u32());
  OSTREVANE_TRY(object.flags, cursor.read_u32());
  OSTREVANE_TRY(object.surfaces, read_smart_vec(cursor));
  OSTREVANE_TRY(object.vertex_array, CVertexArray::unpack(cursor));

  if ((object.flags & kGfxHasPhysics) != 0) {
    OSTREVANE_TRY_VOID(read_polygons(cursor, object.physics_polygons));
    OSTREVANE_TRY(object.physics_bsp, BspNode::read(cursor, BspTreeKind::Physics));
  }
  OSTREVANE_TRY(object.sort_center, math::Vector3::unpack(cursor));
  if ((object.flags & kGfxHasDrawing) != 0) {
    OSTREVANE_TRY_VOID(read_polygons(cursor, object.drawing_polygons));
    OSTREVANE_TRY(object.drawing_bsp, BspNode::read(cursor, BspTreeKind::Drawing));
  }
  if ((object.flags & kGfxHasDegradeId) != 0) {
    OSTREVANE_TRY(object.degrade_id, cursor.read_u32());
  }
  return object;
}

}  // namespace ostrevane::dat
