#include "write/bsp_encoder.h"

#include <cassert>
#include <vector>

#include "write/geometry_encoder.h"

namespace ostrevane::write {

namespace {

using dat::BspTreeKind;

// Stands in for a subtree the format requires but the node lacks.
const dat::BspNode& empty_leaf() {
  static const dat::BspNode leaf;
  return leaf;
}

const dat::BspNode* subtree_or_empty(const std::unique_ptr<dat::BspNode>& child) {
  return child ? child.get() : &empty_leaf();
}

void encode_poly_ids(ByteWriter& out, const std::vector<std::uint16_t>& ids) {
  for (std::uint16_t id : ids) out.u16(id);
}

void encode_sphere(ByteWriter& out, const std::optional<math::Sphere>& sphere) {
  encode(out, sphere.value_or(math::Sphere{}));
}

void encode_leaf(ByteWriter& out, const dat::BspLeaf& leaf, BspTreeKind kind) {
  out.u32(dat::kBspLeafTag);
  out.u32(leaf.leaf_index);
  if (kind == BspTreeKind::Physics) {
    out.u32(leaf.leaf_word);
    encode_sphere(out, leaf.bounding_sphere);
    out.u32(static_cast<std::uint32_t>(leaf.poly_ids.size()));
    encode_poly_ids(out, leaf.poly_ids);
  }
}

// What follows an internal node's subtrees.
void encode_tail(ByteWriter& out, const dat::InternalNode& internal, BspTreeKind kind) {
  if (kind != BspTreeKind::Structure) encode_sphere(out, internal.bounding_sphere);
  if (kind == BspTreeKind::Drawing) {
    out.u32(static_cast<std::uint32_t>(internal.poly_ids.size()));
    encode_poly_ids(out, internal.poly_ids);
  }
}

// What follows a portal node's subtrees.
void encode_tail(ByteWriter& out, const dat::BspPortal& portal, BspTreeKind kind) {
  if (kind != BspTreeKind::Drawing) return;
  encode_sphere(out, portal.bounding_sphere);
  out.u32(static_cast<std::uint32_t>(portal.poly_ids.size()));
  out.u32(static_cast<std::uint32_t>(portal.portals.size()));
  encode_poly_ids(out, portal.poly_ids);
  for (const dat::PortalPoly& portal_poly : portal.portals) encode(out, portal_poly);
}

}  // namespace

void encode(ByteWriter& out, const dat::PortalPoly& portal) {
  out.u16(portal.portal_index);
  out.u16(portal.poly_id);
}

void encode(ByteWriter& out, const dat::BspNode& root, BspTreeKind kind) {
  // Depth-first with an explicit stack: a node's head, its positive subtree, its negative
  // subtree, then its tail.
  struct Step {
    const dat::BspNode* node;
    bool tail;
  };
  std::vector<Step> pending{{&root, false}};
  while (!pending.empty()) {
    const Step step = pending.back();
    pending.pop_back();
    const dat::BspNode& node = *step.node;

    if (const auto* leaf = std::get_if<dat::BspLeaf>(&node.form)) {
      encode_leaf(out, *leaf, kind);
    } else if (const auto* internal = std::get_if<dat::InternalNode>(&node.form)) {
      if (step.tail) {
        encode_tail(out, *internal, kind);
        continue;
      }
      // The tag alone decides which subtrees are written, as it decides which are read.
      const dat::BspChildren children = dat::bsp_children(internal->node_type);
      assert(children.pos == (internal->pos_child != nullptr));
      assert(children.neg == (internal->neg_child != nullptr));
      out.u32(internal->node_type);
      encode(out, internal->splitting_plane);
      pending.push_back({&node, true});
      if (children.neg) pending.push_back({subtree_or_empty(internal->neg_child), false});
      if (children.pos) pending.push_back({subtree_or_empty(internal->pos_child), false});
    } else {
      const auto& portal = std::get<dat::BspPortal>(node.form);
      if (step.tail) {
        encode_tail(out, portal, kind);
        continue;
      }
      assert(portal.pos_child != nullptr && portal.neg_child != nullptr);
      out.u32(dat::kBspPortalTag);
      encode(out, portal.splitting_plane);
      pending.push_back({&node, true});
      pending.push_back({subtree_or_empty(portal.neg_child), false});
      pending.push_back({subtree_or_empty(portal.pos_child), false});
    }
  }
}

void encode(ByteWriter& out, const dat::BspPortal& portal, BspTreeKind kind) {
  assert(portal.pos_child != nullptr && portal.neg_child != nullptr);
  encode(out, portal.splitting_plane);
  encode(out, *subtree_or_empty(portal.pos_child), kind);
  encode(out, *subtree_or_empty(portal.neg_child), kind);
  encode_tail(out, portal, kind);
}

}  // namespace ostrevane::write
