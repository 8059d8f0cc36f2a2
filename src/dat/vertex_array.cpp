#include "dat/vertex_array.h"

#include "dat/try.h"

namespace ostrevane::dat {

namespace {

constexpr std::size_t kUvSize = 2 * sizeof(float);

std::expected<std::vector<Vec2Duv>, ParseError> read_uv_list(ByteCursor& cursor,
                                                             std::uint16_t count) {
  std::vector<Vec2Duv> uvs;
  uvs.reserve(cursor.reservable(count, kUvSize));
  for (std::uint16_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const Vec2Duv uv, Vec2Duv::unpack(cursor));
    uvs.push_back(uv);
  }
  return uvs;
}

}  // namespace

std::expected<SWVertex, ParseError> SWVertex::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "SWVertex", kGraphicsSource);
  SWVertex vertex;
  OSTREVANE_TRY(vertex.num_uvs, fields.read("num_uvs", num_uvs_line, read_u16));
  OSTREVANE_TRY(vertex.origin, fields.read("origin", origin_line, math::Vector3::unpack));
  OSTREVANE_TRY(vertex.normal, fields.read("normal", normal_line, math::Vector3::unpack));
  const auto read_uvs = [count = vertex.num_uvs](ByteCursor& c) { return read_uv_list(c, count); };
  OSTREVANE_TRY(vertex.uvs, fields.read("uvs", uvs_line, read_uvs));
  return vertex;
}

std::expected<CVertexArray, ParseError> CVertexArray::unpack(ByteCursor& cursor) {
  CVertexArray array;
  OSTREVANE_TRY(array.vertex_type, cursor.read_u32());
  OSTREVANE_TRY(const std::uint32_t num_vertices, cursor.read_u32());
  if (array.vertex_type != kVertexTypeWithVertices) return array;

  for (std::uint32_t i = 0; i < num_vertices; ++i) {
    OSTREVANE_TRY(const std::uint16_t vertex_id, cursor.read_u16());
    OSTREVANE_TRY(SWVertex vertex, SWVertex::unpack(cursor));
    array.vertices.insert_or_assign(vertex_id, std::move(vertex));
  }
  return array;
}

}  // namespace ostrevane::dat
