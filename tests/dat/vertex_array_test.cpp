#include "dat/vertex_array.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "write/gfx_obj_encoder.h"
#include "write/model_builders.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

CVertexArray sample_array() {
  CVertexArray array;
  array.vertices.emplace(0, write::make_vertex({0, 0, 0}));
  array.vertices.emplace(7, write::make_vertex({1, 2, 3}, {0, 1, 0}, {{0.25f, 0.75f}}));
  array.vertices.emplace(3, write::make_vertex({-1, 0, 5}, {1, 0, 0}, {{0, 0}, {1, 1}}));
  return array;
}

std::vector<std::uint8_t> encoded(const CVertexArray& array) {
  write::ByteWriter out;
  write::encode(out, array);
  return out.take();
}

TEST(CVertexArray, RoundTripsThroughItsEncoder) {
  const auto bytes = encoded(sample_array());
  // 8 header bytes, then 28 + 8 · num_uvs per vertex.
  EXPECT_EQ(bytes.size(), 8u + 28 + 36 + 44);
  const auto parsed = test::parse_all(bytes, CVertexArray::unpack);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  EXPECT_EQ(*parsed, sample_array());
}

TEST(CVertexArray, TypeOneWithNoVerticesIsEightBytes) {
  const auto bytes = encoded(CVertexArray{});
  ASSERT_EQ(bytes.size(), 8u);
  const auto parsed = test::parse_all(bytes, CVertexArray::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_TRUE(parsed->vertices.empty());
}

TEST(CVertexArray, OtherTypesLeaveTheirVertexBytesUnread) {
  // Type 2 with a count of 5 and a whole vertex after it: only the header is read.
  write::ByteWriter out;
  out.u32(2);
  out.u32(5);
  out.u16(0);
  write::encode(out, write::make_vertex({1, 1, 1}));
  const auto bytes = out.take();
  ByteCursor cursor(bytes);
  const auto parsed = CVertexArray::unpack(cursor);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->vertex_type, 2u);
  EXPECT_TRUE(parsed->vertices.empty());
  EXPECT_EQ(cursor.position(), 8u);
}

TEST(CVertexArray, LaterVertexIdReplacesEarlierOne) {
  write::ByteWriter out;
  out.u32(1);
  out.u32(2);
  out.u16(4);
  write::encode(out, write::make_vertex({1, 0, 0}));
  out.u16(4);
  write::encode(out, write::make_vertex({2, 0, 0}));
  const auto bytes = out.take();
  const auto parsed = test::parse_all(bytes, CVertexArray::unpack);
  ASSERT_TRUE(parsed.has_value());
  ASSERT_EQ(parsed->vertices.size(), 1u);
  EXPECT_EQ(parsed->vertices.at(4).origin.x, 2.0f);
}

TEST(SWVertex, WithoutUvsIs26BytesAnd28WithItsId) {
  write::ByteWriter out;
  out.u16(9);
  write::encode(out, write::make_vertex({1, 2, 3}, {0, 0, 1}));
  EXPECT_EQ(out.size(), 28u);
}

TEST(SWVertex, FailuresNameTheFieldAndRewindToTheVertex) {
  struct Case {
    std::size_t length;  // of the vertex's bytes
    std::vector<std::string> frames;
  };
  const Case cases[] = {
      {1, {"While parsing field 'num_uvs' in SWVertex"}},
      {2 + 12 + 5,  // inside normal.y
       {"While parsing field 'y' in Vector3", "While parsing field 'normal' in SWVertex"}},
      {2 + 24 + 8 + 4,  // inside the second uv's v
       {"While parsing field 'v' in Vec2Duv", "While parsing field 'uvs' in SWVertex"}},
  };
  write::ByteWriter out;
  out.u16(0x0102);  // the vertex id, before the vertex
  write::encode(out, write::make_vertex({1, 2, 3}, {4, 5, 6}, {{0, 1}, {1, 0}}));
  const auto bytes = out.take();
  for (const Case& test : cases) {
    SCOPED_TRACE(test.length);
    ByteCursor cursor{std::span(bytes).first(2 + test.length)};
    cursor.skip(2);
    const auto parsed = SWVertex::unpack(cursor);
    EXPECT_TRUE(parse_fails(parsed, kShortRead, test.frames));
    EXPECT_EQ(cursor.position(), 2u);
    EXPECT_EQ(parsed.error().frames().back().source, "crates/ostrevane-dat/src/graphics");
  }
}

TEST(CVertexArray, DataEndingInsideNormalFailsWithItsContext) {
  auto bytes = encoded(sample_array());
  bytes.resize(8 + 2 + 2 + 12 + 9);  // first vertex (id 0): normal.z cut after one byte
  ByteCursor cursor(bytes);
  EXPECT_TRUE(parse_fails(
      CVertexArray::unpack(cursor), kShortRead,
      {"While parsing field 'z' in Vector3", "While parsing field 'normal' in SWVertex"}));
}

TEST(CVertexArray, HugeCountEndsInTheShortRead) {
  write::ByteWriter out;
  out.u32(1);
  out.u32(0xFFFFFFFF);
  out.u16(0);
  write::encode(out, write::make_vertex({1, 1, 1}));
  const auto bytes = out.take();
  ByteCursor cursor(bytes);
  EXPECT_TRUE(parse_fails(CVertexArray::unpack(cursor), kShortRead));
}

TEST(CVertexArray, EveryTruncationFailsCleanly) {
  EXPECT_TRUE(test::every_prefix_short_reads(encoded(sample_array()), CVertexArray::unpack));
}

}  // namespace
}  // namespace ostrevane::dat
