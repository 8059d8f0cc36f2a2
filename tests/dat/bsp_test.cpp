#include "dat/bsp.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "write/bsp_encoder.h"
#include "write/model_builders.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;
using write::bsp_internal;
using write::bsp_leaf;
using write::bsp_physics_leaf;
using write::bsp_portal;

const math::Plane kPlane{{0, 0, 1}, -2};
const math::Sphere kSphere{{1, 2, 3}, 4};

std::vector<std::uint8_t> encoded(const BspNode& node, BspTreeKind kind) {
  write::ByteWriter out;
  write::encode(out, node, kind);
  return out.take();
}

auto reader(BspTreeKind kind) {
  return [kind](ByteCursor& cursor) { return BspNode::read(cursor, kind); };
}

// Parses `bytes` as a whole tree of `kind`, expecting every byte to be used.
std::expected<BspNode, ParseError> parse(const std::vector<std::uint8_t>& bytes, BspTreeKind kind) {
  return test::parse_all(bytes, reader(kind));
}

TEST(BspNode, NodeSizesByKind) {
  struct Case {
    const char* name;
    BspTreeKind kind;
    BspNode tree;
    std::size_t size;
  };
  Case cases[] = {
      {"drawing leaf", BspTreeKind::Drawing, bsp_leaf(5), 8},
      {"physics leaf", BspTreeKind::Physics, bsp_physics_leaf(5, kSphere, {}, 0xABCD), 32},
      {"physics leaf with ids", BspTreeKind::Physics, bsp_physics_leaf(5, kSphere, {1, 2, 3}), 38},
      {"drawing BPIN", BspTreeKind::Drawing,
       bsp_internal(kPlane, bsp_leaf(1), bsp_leaf(2), kSphere), 4 + 16 + 8 + 8 + 16 + 4},
      {"physics BPIN", BspTreeKind::Physics,
       bsp_internal(kPlane, bsp_physics_leaf(1, kSphere, {}), bsp_physics_leaf(2, kSphere, {}),
                    kSphere),
       4 + 16 + 32 + 32 + 16},
      {"structure BPIN", BspTreeKind::Structure, bsp_internal(kPlane, bsp_leaf(1), bsp_leaf(2)),
       4 + 16 + 8 + 8},
      {"physics PORT", BspTreeKind::Physics,
       bsp_portal(kPlane, bsp_physics_leaf(1, kSphere, {}), bsp_physics_leaf(2, kSphere, {})),
       4 + 16 + 32 + 32},
      {"drawing PORT", BspTreeKind::Drawing,
       bsp_portal(kPlane, bsp_leaf(1), bsp_leaf(2), kSphere, {7, 8, 9}, {{1, 7}, {2, 8}}),
       4 + 16 + 8 + 8 + 16 + 4 + 4 + 3 * 2 + 2 * 4},
      {"structure PORT", BspTreeKind::Structure, bsp_portal(kPlane, bsp_leaf(1), bsp_leaf(2)),
       4 + 16 + 8 + 8},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto bytes = encoded(test.tree, test.kind);
    EXPECT_EQ(bytes.size(), test.size);
    const auto parsed = parse(bytes, test.kind);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
    EXPECT_EQ(*parsed, test.tree);
  }
}

TEST(BspNode, ReadsTheLeafTagAsStoredAndThePositiveChildFirst) {
  const std::vector<std::uint8_t> leaf = {
      0x46, 0x41, 0x45, 0x4C,  // "LEAF"
      0x09, 0x00, 0x00, 0x00,  // leaf_index
  };
  const auto parsed_leaf = parse(leaf, BspTreeKind::Drawing);
  ASSERT_TRUE(parsed_leaf.has_value());
  EXPECT_EQ(std::get<BspLeaf>(parsed_leaf->form).leaf_index, 9u);
  EXPECT_FALSE(std::get<BspLeaf>(parsed_leaf->form).bounding_sphere.has_value());

  const auto bytes =
      encoded(bsp_internal(kPlane, bsp_leaf(1), bsp_leaf(2), kSphere, {4}), BspTreeKind::Drawing);
  const auto parsed = parse(bytes, BspTreeKind::Drawing);
  ASSERT_TRUE(parsed.has_value());
  const auto& internal = std::get<InternalNode>(parsed->form);
  EXPECT_EQ(internal.node_type, 0x4250494Eu);
  EXPECT_EQ(std::get<BspLeaf>(internal.pos_child->form).leaf_index, 1u);
  EXPECT_EQ(std::get<BspLeaf>(internal.neg_child->form).leaf_index, 2u);
  EXPECT_EQ(internal.bounding_sphere, kSphere);
  EXPECT_EQ(internal.poly_ids, std::vector<std::uint16_t>{4});
}

TEST(BspNode, TagDecidesTheChildren) {
  struct Case {
    const char* name;
    std::uint32_t tag;
    bool pos;
    bool neg;
  };
  const Case cases[] = {
      {"BPIN", 0x4250494E, true, true},
      {"BPnN", 0x42506E4E, true, true},
      {"BPIn", 0x4250496E, true, false},
      {"BPnn", 0x42506E6E, true, false},
      {"BpIN", 0x4270494E, false, true},
      {"BpnN", 0x42706E4E, false, true},
      {"Bpnn", 0x42706E6E, false, false},
      {"BpIn", 0x4270496E, false, false},
      {"BPIo", 0x4250496F, false, false},
      {"bPIN", 0x6250494E, false, false},
      {"tag 0", 0, false, false},
      {"LEAF in reading order (bytes 4C 45 41 46)", 0x4641454C, false, false},
      {"PORT in reading order", 0x54524F50, false, false},
  };
  for (const Case& test : cases) {
    for (const BspTreeKind kind : {BspTreeKind::Drawing, BspTreeKind::Physics}) {
      SCOPED_TRACE(std::string(test.name) +
                   (kind == BspTreeKind::Drawing ? " drawing" : " physics"));
      const BspChildren children = bsp_children(test.tag);
      EXPECT_EQ(children.pos, test.pos);
      EXPECT_EQ(children.neg, test.neg);

      // The node, the children its tag announces, then its sphere (and ids when drawing).
      const auto child = [kind](std::uint32_t index) {
        return kind == BspTreeKind::Drawing ? bsp_leaf(index)
                                            : bsp_physics_leaf(index, kSphere, {});
      };
      InternalNode node;
      node.node_type = test.tag;
      node.splitting_plane = kPlane;
      if (test.pos) node.pos_child = std::make_unique<BspNode>(child(1));
      if (test.neg) node.neg_child = std::make_unique<BspNode>(child(2));
      node.bounding_sphere = kSphere;
      if (kind == BspTreeKind::Drawing) node.poly_ids = {3};
      const BspNode tree(std::move(node));
      const auto parsed = parse(encoded(tree, kind), kind);
      ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
      EXPECT_EQ(*parsed, tree);
    }
  }
}

TEST(BspNode, StandaloneAndNestedPortalsRoundTrip) {
  // A drawing tree with a portal under an internal node, and the portal read after its tag.
  const BspNode tree = bsp_internal(
      kPlane,
      bsp_portal(kPlane, bsp_leaf(1), bsp_internal(kPlane, std::nullopt, bsp_leaf(2), kSphere),
                 kSphere, {1, 2}, {{0, 1}}),
      std::nullopt, kSphere, {9});
  const auto parsed = parse(encoded(tree, BspTreeKind::Drawing), BspTreeKind::Drawing);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  EXPECT_EQ(*parsed, tree);

  const auto& portal = std::get<BspPortal>(std::get<InternalNode>(tree.form).pos_child->form);
  write::ByteWriter out;
  write::encode(out, portal, BspTreeKind::Drawing);
  const auto portal_bytes = out.take();
  const auto parsed_portal = test::parse_all(
      portal_bytes, [](ByteCursor& c) { return BspPortal::read(c, BspTreeKind::Drawing); });
  ASSERT_TRUE(parsed_portal.has_value()) << parsed_portal.error().report();
  EXPECT_EQ(*parsed_portal, portal);
}

TEST(PortalPoly, ShortPolyIdNamesTheFieldAndRewinds) {
  const std::vector<std::uint8_t> bytes = {0x00, 0x01, 0x02, 0x03, 0x04};
  ByteCursor cursor{std::span(bytes).first(5)};
  cursor.skip(2);  // portal_index is whole; poly_id has one byte
  const auto parsed = PortalPoly::unpack(cursor);
  EXPECT_TRUE(parse_fails(parsed, kShortRead, {"While parsing field 'poly_id' in PortalPoly"}));
  EXPECT_EQ(parsed.error().frames()[0].source, "crates/ostrevane-dat/src/physics");
  EXPECT_EQ(parsed.error().frames()[0].line, PortalPoly::poly_id_line);
  EXPECT_EQ(cursor.position(), 2u);

  // The same failure at the end of a drawing tree passes up unchanged.
  auto tree = encoded(bsp_portal(kPlane, bsp_leaf(1), bsp_leaf(2), kSphere, {}, {{1, 2}}),
                      BspTreeKind::Drawing);
  tree.pop_back();
  ByteCursor tree_cursor(tree);
  EXPECT_TRUE(parse_fails(BspNode::read(tree_cursor, BspTreeKind::Drawing), kShortRead,
                          {"While parsing field 'poly_id' in PortalPoly"}));
}

TEST(BspNode, PlaneAndSphereFailuresCarryTheirFrames) {
  auto bytes =
      encoded(bsp_internal(kPlane, std::nullopt, std::nullopt, kSphere), BspTreeKind::Physics);
  bytes.resize(bytes.size() - 2);  // the sphere's radius is cut
  ByteCursor cursor(bytes);
  EXPECT_TRUE(parse_fails(BspNode::read(cursor, BspTreeKind::Physics), kShortRead,
                          {"While parsing field 'radius' in Sphere"}));
}

// A chain of `internal` nodes, each with a positive child only, ending in a drawing leaf.
BspNode chain(std::size_t internal) {
  BspNode node = bsp_leaf(0);
  for (std::size_t i = 0; i < internal; ++i) {
    node = bsp_internal(kPlane, std::move(node), std::nullopt, kSphere);
  }
  return node;
}

TEST(BspNode, DepthIsBounded) {
  // The leaf at the deepest level allowed.
  const BspNode deepest = chain(kMaxBspDepth - 1);
  const auto parsed = parse(encoded(deepest, BspTreeKind::Drawing), BspTreeKind::Drawing);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  EXPECT_EQ(*parsed, deepest);

  // One level more fails where the too-deep node's tag starts: after 256 node heads of 20 bytes.
  const auto too_deep = encoded(chain(kMaxBspDepth), BspTreeKind::Drawing);
  ByteCursor cursor(too_deep);
  EXPECT_TRUE(parse_fails(BspNode::read(cursor, BspTreeKind::Drawing),
                          "BSP tree deeper than 256 levels at 0x1400"));

  // Portals count as levels too.
  BspNode portals = bsp_leaf(0);
  for (std::size_t i = 0; i < kMaxBspDepth; ++i) {
    portals = bsp_portal(kPlane, std::move(portals), bsp_leaf(1));
  }
  const auto portal_bytes = encoded(portals, BspTreeKind::Structure);
  ByteCursor portal_cursor(portal_bytes);
  EXPECT_TRUE(parse_fails(BspNode::read(portal_cursor, BspTreeKind::Structure),
                          "BSP tree deeper than 256 levels at 0x1400"));
}

TEST(BspNode, VeryDeepTreesAreHandledWithoutRecursion) {
  // Far deeper than a recursive walk could go: built, encoded, compared and released.
  constexpr std::size_t kDepth = 100'000;
  const BspNode tree = chain(kDepth);
  const auto bytes = encoded(tree, BspTreeKind::Drawing);
  EXPECT_EQ(bytes.size(), kDepth * 40 + 8);
  EXPECT_TRUE(tree == chain(kDepth));
  ByteCursor cursor(bytes);
  EXPECT_TRUE(parse_fails(BspNode::read(cursor, BspTreeKind::Drawing),
                          "BSP tree deeper than 256 levels at 0x1400"));
}

TEST(BspNode, DeepComparisonSeesDifferencesFarDown) {
  const auto tree = [](std::uint32_t leaf_index, bool neg) {
    BspNode node = bsp_leaf(leaf_index);
    for (int i = 0; i < 50; ++i) {
      node = bsp_internal(kPlane, std::move(node),
                          neg && i == 49 ? std::optional<BspNode>(bsp_leaf(0)) : std::nullopt);
    }
    return node;
  };
  EXPECT_TRUE(tree(1, false) == tree(1, false));
  EXPECT_FALSE(tree(1, false) == tree(2, false));
  EXPECT_FALSE(tree(1, false) == tree(1, true));
}

TEST(BspNode, HugeCountsEndInTheShortRead) {
  struct Case {
    const char* name;
    BspTreeKind kind;
    std::vector<std::uint8_t> bytes;
  };
  write::ByteWriter physics_leaf;
  physics_leaf.u32(kBspLeafTag);
  physics_leaf.u32(0);
  physics_leaf.u32(0);
  write::encode(physics_leaf, kSphere);
  physics_leaf.u32(0xFFFFFFFF);  // poly ids
  physics_leaf.u16(1);
  write::ByteWriter portal;
  write::encode(portal, bsp_portal(kPlane, bsp_leaf(1), bsp_leaf(2)), BspTreeKind::Structure);
  write::encode(portal, kSphere);
  portal.u32(0);
  portal.u32(0xFFFFFFFF);  // portals
  portal.u32(0);
  Case cases[] = {
      {"leaf poly ids", BspTreeKind::Physics, physics_leaf.take()},
      {"portal polys", BspTreeKind::Drawing, portal.take()},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ByteCursor cursor(test.bytes);
    const auto parsed = BspNode::read(cursor, test.kind);
    ASSERT_FALSE(parsed.has_value());
    EXPECT_EQ(parsed.error().root_text(), kShortRead);
  }
}

TEST(BspNode, EveryTruncationFailsCleanly) {
  const BspNode drawing = bsp_internal(
      kPlane, bsp_portal(kPlane, bsp_leaf(1), bsp_leaf(2), kSphere, {1, 2}, {{0, 1}, {1, 2}}),
      bsp_internal(kPlane, bsp_leaf(3), std::nullopt, kSphere, {5}), kSphere, {3, 4});
  EXPECT_TRUE(test::every_prefix_short_reads(encoded(drawing, BspTreeKind::Drawing),
                                             reader(BspTreeKind::Drawing)));

  const BspNode physics = bsp_internal(
      kPlane,
      bsp_portal(kPlane, bsp_physics_leaf(1, kSphere, {1}), bsp_physics_leaf(2, kSphere, {})),
      bsp_physics_leaf(3, kSphere, {2, 3}), kSphere);
  EXPECT_TRUE(test::every_prefix_short_reads(encoded(physics, BspTreeKind::Physics),
                                             reader(BspTreeKind::Physics)));
}

}  // namespace
}  // namespace ostrevane::dat
