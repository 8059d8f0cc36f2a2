// Binary space partition trees of a graphics object. The tree kind is passed down the whole tree
// and decides which fields each node carries on disk:
//
//   leaf      "LEAF", leaf_index                    + Physics: leaf_word, sphere, poly ids
//   internal  tag, plane, [pos subtree], [neg subtree] + Drawing/Physics: sphere
//                                                     + Drawing: poly ids
//   portal    "PORT", plane, pos subtree, neg subtree  + Drawing: sphere, poly count,
//                                                       portal count, poly ids, portals
//
// A poly id list is a u32 count, then that many u16 ids. Tags are four letters taken as a
// big-endian number and stored little-endian, so "LEAF" is the bytes 46 41 45 4C; tags are
// always compared as whole u32 values.
//
// Depth: a tree may be at most kMaxBspDepth levels deep (the root is level 1); a real tree is a
// few dozen levels deep, so deeper data is treated as broken. Reading, writing, comparing and
// destroying trees never recurse, so no tree, read or built in code, can exhaust the stack.
#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "dat/byte_cursor.h"
#include "dat/field_reader.h"
#include "math/plane.h"
#include "math/sphere.h"

namespace ostrevane::dat {

enum class BspTreeKind : std::uint32_t { Drawing = 0, Physics = 1, Structure = 2 };

inline constexpr std::size_t kMaxBspDepth = 256;

inline constexpr std::uint32_t kBspLeafTag = 0x4C454146;    // "LEAF"
inline constexpr std::uint32_t kBspPortalTag = 0x504F5254;  // "PORT"
// Internal-node tags by their children; other spellings with the same meaning exist ("BPnN",
// "BPnn", "BpnN"), and any other tag is an internal node without children.
inline constexpr std::uint32_t kBspBothChildrenTag = 0x4250494E;  // "BPIN"
inline constexpr std::uint32_t kBspPosChildTag = 0x4250496E;      // "BPIn"
inline constexpr std::uint32_t kBspNegChildTag = 0x4270494E;      // "BpIN"
inline constexpr std::uint32_t kBspNoChildTag = 0x42706E6E;       // "Bpnn"

struct BspChildren {
  bool pos = false;
  bool neg = false;
};

// The children an internal node with this tag carries. With the letters c0 c1 c2 c3 (c0 the
// most significant byte) only tags with c0 'B', c1 'P' or 'p', c2 'I' or 'n' and c3 'N' or 'n'
// have children: a positive one when c1 is 'P', a negative one when c3 is 'N'.
BspChildren bsp_children(std::uint32_t node_type) noexcept;

// The tag the builders give an internal node with these children.
std::uint32_t bsp_tag_for(BspChildren children) noexcept;

struct BspNode;

// One portal of a drawing-tree portal node. 4 bytes, read field by field (source
// crates/ostrevane-dat/src/physics); a failure leaves the cursor at its start.
struct PortalPoly {
  std::uint16_t portal_index = 0; OSTREVANE_FIELD_LINE(portal_index);
  std::uint16_t poly_id = 0; OSTREVANE_FIELD_LINE(poly_id);

  static std::expected<PortalPoly, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const PortalPoly&, const PortalPoly&) = default;
};

struct BspLeaf {
  std::uint32_t leaf_index = 0;
  std::uint32_t leaf_word = 0;                  // 0 unless the tree is a physics tree
  std::optional<math::Sphere> bounding_sphere;  // physics trees only
  std::vector<std::uint16_t> poly_ids;          // physics trees only

  friend bool operator==(const BspLeaf&, const BspLeaf&) = default;
};

struct InternalNode {
  std::uint32_t node_type = kBspNoChildTag;  // the tag; it decides which children exist
  math::Plane splitting_plane;
  std::unique_ptr<BspNode> pos_child;
  std::unique_ptr<BspNode> neg_child;
  std::optional<math::Sphere> bounding_sphere;  // all but structure trees
  std::vector<std::uint16_t> poly_ids;          // drawing trees only

  // Deep comparison.
  friend bool operator==(const InternalNode& a, const InternalNode& b);
};

struct BspPortal {
  math::Plane splitting_plane;
  std::unique_ptr<BspNode> pos_child;  // never null in a tree that was read
  std::unique_ptr<BspNode> neg_child;  // never null in a tree that was read
  // Drawing trees only:
  std::optional<math::Sphere> bounding_sphere;
  std::vector<std::uint16_t> poly_ids;
  std::vector<PortalPoly> portals;

  // Reads a portal node whose "PORT" tag has just been consumed: from the splitting plane on,
  // both subtrees included. Fails as BspNode::read does.
  static std::expected<BspPortal, ParseError> read(ByteCursor& cursor, BspTreeKind kind);

  // Deep comparison.
  friend bool operator==(const BspPortal& a, const BspPortal& b);
};

// One node of a tree, owning its subtrees.
struct BspNode {
  std::variant<BspLeaf, InternalNode, BspPortal> form;

  BspNode() = default;
  BspNode(BspLeaf leaf) : form(std::move(leaf)) {}
  BspNode(InternalNode internal) : form(std::move(internal)) {}
  BspNode(BspPortal portal) : form(std::move(portal)) {}
  BspNode(BspNode&&) noexcept = default;
  BspNode& operator=(BspNode&&) noexcept = default;
  // Releases the subtrees without recursion.
  ~BspNode();

  // Reads one whole tree of the given kind, depth-first: a node's positive subtree in full, then
  // its negative subtree, then the node's remaining fields. Any tag other than "LEAF" and "PORT"
  // is an internal node. Fails, releasing everything read so far, with:
  //  - "failed to fill whole buffer", without a frame, when a tag, an index, a count or an id
  //    is cut short; Plane, Sphere and PortalPoly failures carry their own context frames;
  //  - "BSP tree deeper than 256 levels" at the position where the tag of a node below the
  //    256th level would start.
  static std::expected<BspNode, ParseError> read(ByteCursor& cursor, BspTreeKind kind);

  // Deep comparison, without recursion.
  friend bool operator==(const BspNode& a, const BspNode& b);
};

}  // namespace ostrevane::dat
