#include "dat/cell_landblock.h"

#include <cstring>

#include "dat/list_reader.h"
#include "dat/try.h"

namespace ostrevane::dat {

std::expected<CellLandblock, ParseError> CellLandblock::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "CellLandblock", kLandblockSource);
  CellLandblock block;
  OSTREVANE_TRY(block.id, fields.read("id", id_line, read_u32));
  OSTREVANE_TRY(block.has_objects, fields.read("has_objects", has_objects_line, read_u32));
  // The 81 terrain words are one block: a short block is "failed to fill whole buffer".
  OSTREVANE_TRY(block.terrain, fields.read("terrain", terrain_line,
                                           read_scalar_array<std::uint16_t, kLandblockVertices>));
  // The 81 height bytes are a fixed run: short is "not enough bytes in reader".
  OSTREVANE_TRY(const auto height, fields.read("height", height_line, [](ByteCursor& c) {
    return c.read_byte_run(sizeof(CellLandblock::height));
  }));
  std::memcpy(block.height.data(), height.data(), height.size());
  return block;
}

}  // namespace ostrevane::dat
