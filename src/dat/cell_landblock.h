// The terrain of one landblock (cell-archive file 0xXXYYFFFF): a terrain word and a height byte
// for each of the 9 × 9 vertices, x-major (entry i is vertex (i / 9, i % 9)). 251 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <expected>

#include "dat/byte_cursor.h"
#include "dat/field_reader.h"

namespace ostrevane::dat {

inline constexpr std::size_t kLandblockVertices = 81;

// The bit fields of a vertex's terrain word (bits 7-10 are not used).
constexpr std::uint32_t terrain_road_bits(std::uint16_t word) { return word & 0x3u; }
constexpr std::uint32_t terrain_type(std::uint16_t word) { return (word >> 2) & 0x1Fu; }
constexpr std::uint32_t terrain_scene_selector(std::uint16_t word) { return (word >> 11) & 0x1Fu; }

struct CellLandblock {
  std::uint32_t id = 0; OSTREVANE_FIELD_LINE(id);
  std::uint32_t has_objects = 0; OSTREVANE_FIELD_LINE(has_objects);
  // Bits 0-1 road, 2-6 terrain type, 11-15 scene selector.
  std::array<std::uint16_t, kLandblockVertices> terrain{}; OSTREVANE_FIELD_LINE(terrain);
  // Indices into the region's land_height_table.
  std::array<std::uint8_t, kLandblockVertices> height{}; OSTREVANE_FIELD_LINE(height);

  static constexpr std::size_t kSize = 251;

  // Reads field by field (source crates/ostrevane-dat/src/landblock); a short `height` fails
  // with "not enough bytes in reader".
  static std::expected<CellLandblock, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const CellLandblock&, const CellLandblock&) = default;
};

}  // namespace ostrevane::dat
