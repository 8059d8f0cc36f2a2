// One mesh of the portal archive (files 0x01xxxxxx): its surfaces, its vertex array, up to two
// polygon sets each with a BSP tree, a sort centre and an optional degrade id. The mesh cache
// reads only the vertex positions; everything else is stored as read.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dat/bsp.h"
#include "dat/polygon.h"
#include "dat/vertex_array.h"
#include "math/vector3.h"

namespace ostrevane::dat {

// `flags` bits; bit 0x4 and all higher bits are ignored.
inline constexpr std::uint32_t kGfxHasPhysics = 0x1;
inline constexpr std::uint32_t kGfxHasDrawing = 0x2;
inline constexpr std::uint32_t kGfxHasDegradeId = 0x8;

struct GfxObj {
  std::uint32_t id = 0;  // as stored; not compared with the id that was requested
  std::uint32_t flags = 0;
  std::vector<std::uint32_t> surfaces;
  CVertexArray vertex_array;
  // Polygons by their u16 id; a later entry with the same id replaced the earlier one. Empty
  // when the section is absent.
  std::unordered_map<std::uint16_t, Polygon> physics_polygons;  // flags 0x1
  std::optional<BspNode> physics_bsp;                           // flags 0x1, physics tree
  math::Vector3 sort_center;
  std::unordered_map<std::uint16_t, Polygon> drawing_polygons;  // flags 0x2
  std::optional<BspNode> drawing_bsp;                           // flags 0x2, drawing tree
  std::optional<std::uint32_t> degrade_id;                      // flags 0x8, whatever its value

  // With flags 0, no surfaces and an empty vertex array of type 1 the record is 29 bytes.
  static constexpr std::size_t kMinSize = 29;

  // Parses the whole record from the cursor's position (the file's first byte); trailing bytes
  // are left alone. Each polygon section is a packed count, then (u16 id, Polygon) entries, then
  // its tree, which is read even when the count is 0. Fails with "failed to fill whole buffer",
  // without a frame of its own, when the data end early (an oversized count ends the same way),
  // and passes up the errors of the vertex array, polygons, trees and sort_center unchanged.
  static std::expected<GfxObj, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const GfxObj&, const GfxObj&) = default;
};

}  // namespace ostrevane::dat
