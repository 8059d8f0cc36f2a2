#include "dat/polygon.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "write/gfx_obj_encoder.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

Polygon triangle(std::uint8_t stippling, std::int32_t sides_type) {
  Polygon polygon;
  polygon.num_vertices = 3;
  polygon.stippling = stippling;
  polygon.sides_type = sides_type;
  polygon.pos_surface = 1;
  polygon.neg_surface = -1;
  polygon.vertex_ids = {0, 5, 0xFFFF};
  if (polygon.has_pos_uv_indices()) polygon.pos_uv_indices = {0, 1, 2};
  if (polygon.has_neg_uv_indices()) polygon.neg_uv_indices = {3, 4, 5};
  return polygon;
}

std::vector<std::uint8_t> encoded(const Polygon& polygon) {
  write::ByteWriter out;
  write::encode(out, polygon);
  return out.take();
}

TEST(Polygon, StipplingAndSidesTypeDecideTheUvLists) {
  struct Case {
    const char* name;
    Polygon polygon;
    std::size_t size;
    bool pos_uvs;
    bool neg_uvs;
  };
  Polygon empty = triangle(0, 2);
  empty.num_vertices = 0;
  empty.vertex_ids.clear();
  empty.pos_uv_indices.clear();
  empty.neg_uv_indices.clear();
  const Case cases[] = {
      {"both lists", triangle(0x00, 2), 22, true, true},
      {"no pos uvs", triangle(0x04, 2), 19, false, true},
      {"neither by stippling", triangle(0x0C, 2), 16, false, false},
      {"neither: one-sided without pos uvs", triangle(0x04, 1), 16, false, false},
      {"one-sided", triangle(0x00, 1), 19, true, false},
      {"other stippling bits are stored", triangle(0xF3, 2), 22, true, true},
      {"no vertices", empty, 10, false, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto bytes = encoded(test.polygon);
    EXPECT_EQ(bytes.size(), test.size);
    const auto parsed = test::parse_all(bytes, Polygon::unpack);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, test.polygon);
    EXPECT_EQ(parsed->pos_uv_indices.empty(), !test.pos_uvs);
    EXPECT_EQ(parsed->neg_uv_indices.empty(), !test.neg_uvs);
  }
}

TEST(Polygon, ReadsTheFieldsInFileOrder) {
  const std::vector<std::uint8_t> bytes = {
      0x02,                    // num_vertices
      0x08,                    // stippling: no neg uvs
      0x02, 0x00, 0x00, 0x00,  // sides_type 2
      0x34, 0x12,              // pos_surface
      0xFE, 0xFF,              // neg_surface -2
      0x01, 0x00, 0x02, 0x01,  // vertex ids 1, 0x0102
      0x07, 0x08,              // pos uv indices
  };
  const auto parsed = test::parse_all(bytes, Polygon::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->sides_type, 2);
  EXPECT_EQ(parsed->pos_surface, 0x1234);
  EXPECT_EQ(parsed->neg_surface, -2);
  EXPECT_EQ(parsed->vertex_ids, (std::vector<std::uint16_t>{1, 0x0102}));
  EXPECT_EQ(parsed->pos_uv_indices, (std::vector<std::uint8_t>{7, 8}));
  EXPECT_TRUE(parsed->neg_uv_indices.empty());
}

TEST(Polygon, EveryTruncationFailsWithoutAFrame) {
  const auto bytes = encoded(triangle(0, 2));
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    ByteCursor cursor{std::span(bytes).first(length)};
    EXPECT_TRUE(parse_fails(Polygon::unpack(cursor), kShortRead)) << length;
  }
}

}  // namespace
}  // namespace ostrevane::dat
