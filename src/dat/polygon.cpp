#include "dat/polygon.h"

#include "dat/try.h"

namespace ostrevane::dat {

namespace {

std::expected<std::vector<std::uint8_t>, ParseError> read_byte_list(ByteCursor& cursor,
                                                                    std::size_t count) {
  OSTREVANE_TRY(const auto bytes, cursor.read_bytes(count));
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

std::expected<Polygon, ParseError> Polygon::unpack(ByteCursor& cursor) {
  Polygon polygon;
  OSTREVANE_TRY(polygon.num_vertices, cursor.read_u8());
  OSTREVANE_TRY(polygon.stippling, cursor.read_u8());
  OSTREVANE_TRY(polygon.sides_type, cursor.read_i32());
  OSTREVANE_TRY(polygon.pos_surface, cursor.read_i16());
  OSTREVANE_TRY(polygon.neg_surface, cursor.read_i16());

  polygon.vertex_ids.reserve(polygon.num_vertices);
  for (std::uint8_t i = 0; i < polygon.num_vertices; ++i) {
    OSTREVANE_TRY(const std::uint16_t vertex_id, cursor.read_u16());
    polygon.vertex_ids.push_back(vertex_id);
  }
  if (polygon.has_pos_uv_indices()) {
    OSTREVANE_TRY(polygon.pos_uv_indices, read_byte_list(cursor, polygon.num_vertices));
  }
  if (polygon.has_neg_uv_indices()) {
    OSTREVANE_TRY(polygon.neg_uv_indices, read_byte_list(cursor, polygon.num_vertices));
  }
  return polygon;
}

}  // namespace ostrevane::dat
