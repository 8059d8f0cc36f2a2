// One polygon of a graphics object: its vertex ids, its surfaces and up to two lists of texture
// coordinate indices. 10 + 2n bytes, plus n for each uv index list present (n = num_vertices).
// The polygon's own u16 id is stored before it by the graphics object.
#pragma once

#include <cstdint>
#include <expected>
#include <vector>

#include "dat/byte_cursor.h"

namespace ostrevane::dat {

// `stippling` bits that drop a uv index list.
inline constexpr std::uint8_t kStipplingNoPosUvs = 0x04;
inline constexpr std::uint8_t kStipplingNoNegUvs = 0x08;
// The `sides_type` that allows neg_uv_indices.
inline constexpr std::int32_t kSidesTypeBoth = 2;

struct Polygon {
  std::uint8_t num_vertices = 0;
  std::uint8_t stippling = 0;  // bits other than 0x04 and 0x08 are stored, not interpreted
  std::int32_t sides_type = 0;
  std::int16_t pos_surface = 0;
  std::int16_t neg_surface = 0;
  std::vector<std::uint16_t> vertex_ids;     // num_vertices entries; not looked up anywhere
  std::vector<std::uint8_t> pos_uv_indices;  // num_vertices entries unless stippling & 0x04
  // num_vertices entries when sides_type is 2 and not stippling & 0x08.
  std::vector<std::uint8_t> neg_uv_indices;

  bool has_pos_uv_indices() const noexcept { return (stippling & kStipplingNoPosUvs) == 0; }
  bool has_neg_uv_indices() const noexcept {
    return (stippling & kStipplingNoNegUvs) == 0 && sides_type == kSidesTypeBoth;
  }

  // Short reads fail with "failed to fill whole buffer", without a frame.
  static std::expected<Polygon, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Polygon&, const Polygon&) = default;
};

}  // namespace ostrevane::dat
