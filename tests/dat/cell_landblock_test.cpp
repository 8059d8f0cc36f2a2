#include "dat/cell_landblock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_support.h"
#include "write/landblock_encoder.h"

namespace ostrevane::dat {
namespace {

using test::parse_fails;

CellLandblock sample_block() {
  CellLandblock block;
  block.id = 0xA9B4FFFF;
  block.has_objects = 0x00000100;  // a full word, not a one-byte flag
  for (std::size_t i = 0; i < kLandblockVertices; ++i) {
    block.terrain[i] = static_cast<std::uint16_t>(0x0803 + 0x101 * i);
    block.height[i] = static_cast<std::uint8_t>(255 - i);
  }
  return block;
}

TEST(CellLandblock, ReadsTwoHundredFiftyOneBytesVertexMajor) {
  std::vector<std::uint8_t> bytes = write::encode_cell_landblock(sample_block());
  ASSERT_EQ(bytes.size(), CellLandblock::kSize);
  // Vertex (x 1, y 2) is entry 11: its terrain word at 8 + 2 * 11, its height at 170 + 11.
  bytes[8 + 22] = 0x34;
  bytes[8 + 23] = 0x12;
  bytes[170 + 11] = 0x99;
  bytes.insert(bytes.end(), {7, 7, 7});  // ignored
  ByteCursor cursor(bytes);
  const auto block = CellLandblock::unpack(cursor);
  ASSERT_TRUE(block);
  CellLandblock expected = sample_block();
  expected.terrain[11] = 0x1234;
  expected.height[11] = 0x99;
  EXPECT_EQ(*block, expected);
  EXPECT_EQ(cursor.position(), CellLandblock::kSize);
}

TEST(CellLandblock, ShortBufferNamesTheField) {
  const std::vector<std::uint8_t> bytes = write::encode_cell_landblock(sample_block());
  const struct {
    std::size_t length;
    const char* field;
    std::uint32_t line;
    const char* root;
  } cases[] = {
      {0, "id", CellLandblock::id_line, "failed to fill whole buffer"},
      {3, "id", CellLandblock::id_line, "failed to fill whole buffer"},
      {4, "has_objects", CellLandblock::has_objects_line, "failed to fill whole buffer"},
      {7, "has_objects", CellLandblock::has_objects_line, "failed to fill whole buffer"},
      {8, "terrain", CellLandblock::terrain_line, "failed to fill whole buffer"},
      {169, "terrain", CellLandblock::terrain_line, "failed to fill whole buffer"},
      {170, "height", CellLandblock::height_line, "not enough bytes in reader"},
      {250, "height", CellLandblock::height_line, "not enough bytes in reader"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    ByteCursor cursor(test::prefix(bytes, c.length));
    const auto block = CellLandblock::unpack(cursor);
    ASSERT_TRUE(parse_fails(
        block, c.root, {std::string("While parsing field '") + c.field + "' in CellLandblock"}));
    EXPECT_EQ(block.error().frames()[0].source, kLandblockSource);
    EXPECT_EQ(block.error().frames()[0].line, c.line);
    EXPECT_EQ(cursor.position(), 0u);
  }
}

TEST(CellLandblock, TerrainWordBitFields) {
  const struct {
    std::uint16_t word;
    std::uint32_t road, type, scene;
  } cases[] = {
      {0x0803, 3, 0, 1},  {0xFFFF, 3, 31, 31},
      {0x007C, 0, 31, 0}, {0x0780, 0, 0, 0},  // bits 7-10 belong to no field
      {0x0001, 1, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(terrain_road_bits(c.word), c.road);
    EXPECT_EQ(terrain_type(c.word), c.type);
    EXPECT_EQ(terrain_scene_selector(c.word), c.scene);
  }
}

}  // namespace
}  // namespace ostrevane::dat
