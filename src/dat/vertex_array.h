// The vertices of a graphics object: a position, a normal and texture coordinates per vertex,
// keyed by a u16 vertex id. Only vertex type 1 carries vertex data.
#pragma once

#include <cstdint>
#include <expected>
#include <unordered_map>
#include <vector>

#include "dat/frame.h"
#include "math/vector3.h"

namespace ostrevane::dat {

// The one vertex type whose array holds vertices.
inline constexpr std::uint32_t kVertexTypeWithVertices = 1;

// One vertex: 26 + 8 · num_uvs bytes. Read field by field; a failure names the field (with the
// inner record's frame first where there is one) and leaves the cursor at the vertex's start.
struct SWVertex {
  std::uint16_t num_uvs = 0; OSTREVANE_FIELD_LINE(num_uvs);
  math::Vector3 origin; OSTREVANE_FIELD_LINE(origin);  // position in the object's local space
  math::Vector3 normal; OSTREVANE_FIELD_LINE(normal);
  std::vector<Vec2Duv> uvs; OSTREVANE_FIELD_LINE(uvs);  // num_uvs entries

  static std::expected<SWVertex, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const SWVertex&, const SWVertex&) = default;
};

struct CVertexArray {
  std::uint32_t vertex_type = kVertexTypeWithVertices;
  // A later entry with the same id replaced the earlier one. Empty unless vertex_type is 1.
  std::unordered_map<std::uint16_t, SWVertex> vertices;

  // Reads vertex_type and the vertex count (u32 each). For type 1 it then reads that many
  // (u16 vertex_id, SWVertex) entries; for any other type it stops there, whatever the count
  // says, and leaves the following bytes to the caller. A short vertex_id fails with "failed to
  // fill whole buffer" without a frame.
  static std::expected<CVertexArray, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const CVertexArray&, const CVertexArray&) = default;
};

}  // namespace ostrevane::dat
