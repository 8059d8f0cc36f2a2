#include "dat/gfx_obj.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"
#include "write/gfx_obj_encoder.h"
#include "write/model_builders.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

std::expected<GfxObj, ParseError> parse(std::span<const std::uint8_t> bytes) {
  ByteCursor cursor(bytes);
  return GfxObj::unpack(cursor);
}

// A unit box: 8 corners, 6 quads, surfaces and a degrade id.
GfxObj box() {
  write::GfxObjBuilder builder(0x01000123);
  for (int i = 0; i < 8; ++i) {
    builder.add_vertex({static_cast<float>(i & 1), static_cast<float>(i >> 1 & 1),
                        static_cast<float>(i >> 2 & 1)});
  }
  builder.add_polygon({0, 1, 3, 2});
  builder.add_polygon({4, 6, 7, 5});
  builder.add_polygon({0, 4, 5, 1}, 1);
  builder.add_polygon({2, 3, 7, 6}, 1);
  builder.add_polygon({0, 2, 6, 4});
  builder.add_polygon({1, 5, 7, 3});
  return builder.set_surfaces({0x08000001, 0x08000002}).set_degrade_id(0x11000001).build();
}

// id, flags, no surfaces, an empty vertex array of type 1, sort_center.
std::vector<std::uint8_t> smallest_record(std::uint32_t flags = 0) {
  GfxObj object;
  object.id = 0x01000001;
  object.flags = flags;
  return write::encode_gfx_obj(object);
}

TEST(GfxObj, RoundTripsThroughItsEncoder) {
  const GfxObj object = box();
  EXPECT_EQ(object.flags, kGfxHasPhysics | kGfxHasDrawing | kGfxHasDegradeId);
  const auto bytes = write::encode_gfx_obj(object);
  const auto parsed = test::parse_all(bytes, GfxObj::unpack);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  EXPECT_EQ(*parsed, object);
  EXPECT_EQ(parsed->vertex_array.vertices.size(), 8u);
  EXPECT_EQ(parsed->drawing_polygons.size(), 6u);
  // The builder split the box at x = 0.5: a child on each side.
  const auto& root = std::get<InternalNode>(parsed->physics_bsp->form);
  EXPECT_EQ(root.node_type, kBspBothChildrenTag);
}

TEST(GfxObj, FlagsZeroIsTwentyNineBytesAndOneLessFails) {
  for (const std::uint32_t flags : {0x0u, 0x4u, 0xFFFFFFF4u}) {  // bit 2 and high bits ignored
    SCOPED_TRACE(flags);
    auto bytes = smallest_record(flags);
    ASSERT_EQ(bytes.size(), GfxObj::kMinSize);
    const auto parsed = test::parse_all(bytes, GfxObj::unpack);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->physics_polygons.empty());
    EXPECT_FALSE(parsed->physics_bsp.has_value());
    EXPECT_FALSE(parsed->drawing_bsp.has_value());
    EXPECT_FALSE(parsed->degrade_id.has_value());
    bytes.pop_back();  // sort_center is cut
    EXPECT_TRUE(parse_fails(parse(bytes), kShortRead, {"While parsing field 'z' in Vector3"}));
  }
}

TEST(GfxObj, PhysicsTreeIsReadEvenWithoutPolygons) {
  write::ByteWriter out;
  out.u32(0x01000001);
  out.u32(kGfxHasPhysics);
  out.u8(0);     // surfaces
  out.u32(1);    // vertex type
  out.u32(0);    // vertices
  out.u8(0x00);  // physics polygon count
  write::encode(out, write::bsp_physics_leaf(3, {{0, 0, 0}, 1}, {}), BspTreeKind::Physics);
  write::encode(out, math::Vector3{1, 2, 3});  // sort_center
  const auto bytes = out.take();
  EXPECT_EQ(bytes.size(), GfxObj::kMinSize + 1 + 32);
  const auto parsed = test::parse_all(bytes, GfxObj::unpack);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  ASSERT_TRUE(parsed->physics_bsp.has_value());
  EXPECT_EQ(std::get<BspLeaf>(parsed->physics_bsp->form).leaf_index, 3u);
  EXPECT_EQ(parsed->sort_center, (math::Vector3{1, 2, 3}));
}

TEST(GfxObj, DegradeIdIsPresentWheneverItsFlagIsSet) {
  GfxObj object;
  object.flags = kGfxHasDegradeId;
  object.degrade_id = 0;
  auto bytes = write::encode_gfx_obj(object);
  ASSERT_EQ(bytes.size(), GfxObj::kMinSize + 4);
  const auto parsed = test::parse_all(bytes, GfxObj::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->degrade_id, 0u);

  bytes.pop_back();
  EXPECT_TRUE(parse_fails(parse(bytes), kShortRead));
}

TEST(GfxObj, PackedPolygonCountsInEveryForm) {
  const std::vector<std::vector<std::uint8_t>> counts = {
      {0x05}, {0x80, 0x05}, {0xC0, 0x00, 0x05, 0x00}};
  for (const auto& count : counts) {
    SCOPED_TRACE(count.size());
    write::ByteWriter out;
    out.u32(0x01000001);
    out.u32(kGfxHasDrawing);
    out.u8(0);
    out.u32(1);
    out.u32(0);
    write::encode(out, math::Vector3{});
    out.raw(count);
    for (std::uint16_t id = 10; id < 15; ++id) {
      out.u16(id);
      write::encode(out, write::make_polygon({0, 1, 2}));
    }
    write::encode(out, write::bsp_leaf(0), BspTreeKind::Drawing);
    const auto bytes = out.take();
    const auto parsed = test::parse_all(bytes, GfxObj::unpack);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
    EXPECT_EQ(parsed->drawing_polygons.size(), 5u);
    EXPECT_TRUE(parsed->drawing_polygons.contains(14));
  }
}

TEST(GfxObj, LaterPolygonIdReplacesEarlierOne) {
  write::ByteWriter out;
  out.u32(0x01000001);
  out.u32(kGfxHasPhysics);
  out.u8(0);
  out.u32(1);
  out.u32(0);
  out.u8(2);
  out.u16(7);
  write::encode(out, write::make_polygon({0, 1, 2}));
  out.u16(7);
  write::encode(out, write::make_polygon({3, 4, 5, 6}));
  write::encode(out, write::bsp_physics_leaf(0, {}, {7}), BspTreeKind::Physics);
  write::encode(out, math::Vector3{});
  const auto bytes = out.take();
  const auto parsed = test::parse_all(bytes, GfxObj::unpack);
  ASSERT_TRUE(parsed.has_value());
  ASSERT_EQ(parsed->physics_polygons.size(), 1u);
  EXPECT_EQ(parsed->physics_polygons.at(7).num_vertices, 4);
}

TEST(GfxObj, OtherVertexTypesLeaveTheSectionsAfterTheCount) {
  write::ByteWriter out;
  out.u32(0x01000001);
  out.u32(0);
  out.u8(0);
  out.u32(2);  // vertex type 2: the count is ignored, no vertex bytes follow
  out.u32(5);
  write::encode(out, math::Vector3{7, 8, 9});  // sort_center
  const auto bytes = out.take();
  const auto parsed = test::parse_all(bytes, GfxObj::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_TRUE(parsed->vertex_array.vertices.empty());
  EXPECT_EQ(parsed->sort_center, (math::Vector3{7, 8, 9}));
}

TEST(GfxObj, HugeCountsEndInTheShortRead) {
  struct Case {
    const char* name;
    std::uint32_t flags;
    std::vector<std::uint8_t> count;  // replaces the count byte at offset 8 or 17
    std::size_t at;
  };
  const Case cases[] = {
      {"surfaces", 0, {0xFF, 0xFF, 0xFF, 0xFF}, 8},
      {"physics polygons", kGfxHasPhysics, {0xFF, 0xFF, 0xFF, 0xFF}, 17},
      {"drawing polygons", kGfxHasDrawing, {0xFF, 0xFF, 0xFF, 0xFF}, 29},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    write::ByteWriter out;
    out.u32(0x01000001);
    out.u32(test.flags);
    out.u8(0);
    out.u32(1);
    out.u32(0);
    if (test.flags & kGfxHasPhysics) out.u8(0);
    write::encode(out, math::Vector3{});
    if (test.flags & kGfxHasDrawing) out.u8(0);
    auto bytes = out.take();
    bytes.erase(bytes.begin() + test.at);
    bytes.insert(bytes.begin() + test.at, test.count.begin(), test.count.end());
    bytes.resize(bytes.size() + 64, 0x01);
    const auto parsed = parse(bytes);
    ASSERT_FALSE(parsed.has_value());
    EXPECT_EQ(parsed.error().root_text(), kShortRead);
  }
}

TEST(GfxObj, EveryTruncationFailsCleanly) {
  EXPECT_TRUE(test::every_prefix_short_reads(write::encode_gfx_obj(box()), GfxObj::unpack));
}

}  // namespace
}  // namespace ostrevane::dat
