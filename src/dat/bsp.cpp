#include "dat/bsp.h"

#include <string>
#include <utility>

#include "dat/try.h"

namespace ostrevane::dat {

namespace {

std::expected<std::vector<std::uint16_t>, ParseError> read_poly_ids(ByteCursor& cursor,
                                                                    std::uint32_t count) {
  std::vector<std::uint16_t> ids;
  ids.reserve(cursor.reservable(count, sizeof(std::uint16_t)));
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const std::uint16_t id, cursor.read_u16());
    ids.push_back(id);
  }
  return ids;
}

// A u32 count, then that many u16 polygon ids.
std::expected<std::vector<std::uint16_t>, ParseError> read_poly_id_list(ByteCursor& cursor) {
  OSTREVANE_TRY(const std::uint32_t count, cursor.read_u32());
  return read_poly_ids(cursor, count);
}

// The slots of a node's subtrees; null for a leaf.
std::pair<std::unique_ptr<BspNode>*, std::unique_ptr<BspNode>*> child_slots(BspNode& node) {
  if (auto* internal = std::get_if<InternalNode>(&node.form)) {
    return {&internal->pos_child, &internal->neg_child};
  }
  if (auto* portal = std::get_if<BspPortal>(&node.form)) {
    return {&portal->pos_child, &portal->neg_child};
  }
  return {nullptr, nullptr};
}

// Reads one tree of one kind without recursion. The nodes whose subtrees are still being read
// wait on an explicit stack, root first, so the stack's size is the depth of the next node's
// parent and a tree of any shape costs no call stack.
class TreeReader {
 public:
  TreeReader(ByteCursor& cursor, BspTreeKind kind) noexcept : cursor_(cursor), kind_(kind) {}

  // A whole tree, from the root's tag.
  std::expected<BspNode, ParseError> tree() {
    OSTREVANE_TRY(std::optional<BspNode> done, head());
    return finish(std::move(done));
  }

  // A portal node whose tag has already been read.
  std::expected<BspPortal, ParseError> portal() {
    OSTREVANE_TRY_VOID(portal_head());
    OSTREVANE_TRY(BspNode node, finish(std::nullopt));
    return std::get<BspPortal>(std::move(node.form));
  }

 private:
  // A node whose subtrees are not all read yet.
  struct Open {
    BspNode node;
    bool want_pos;
    bool want_neg;
  };

  // Reads a node up to its subtrees. A leaf is complete and returned; any other node is pushed
  // onto the stack to wait for its subtrees, and nothing is returned.
  std::expected<std::optional<BspNode>, ParseError> head() {
    OSTREVANE_TRY(const std::uint32_t tag, cursor_.read_u32());
    if (tag == kBspLeafTag) {
      OSTREVANE_TRY(BspLeaf leaf, read_leaf());
      return BspNode(std::move(leaf));
    }
    if (tag == kBspPortalTag) {
      OSTREVANE_TRY_VOID(portal_head());
      return std::nullopt;
    }
    // Any other tag is an internal node; the tag says which subtrees follow.
    InternalNode internal;
    internal.node_type = tag;
    OSTREVANE_TRY(internal.splitting_plane, math::Plane::unpack(cursor_));
    const BspChildren children = bsp_children(tag);
    open_.push_back({BspNode(std::move(internal)), children.pos, children.neg});
    return std::nullopt;
  }

  std::expected<void, ParseError> portal_head() {
    BspPortal portal;
    OSTREVANE_TRY(portal.splitting_plane, math::Plane::unpack(cursor_));
    open_.push_back({BspNode(std::move(portal)), true, true});
    return {};
  }

  std::expected<BspLeaf, ParseError> read_leaf() {
    BspLeaf leaf;
    OSTREVANE_TRY(leaf.leaf_index, cursor_.read_u32());
    if (kind_ == BspTreeKind::Physics) {
      OSTREVANE_TRY(leaf.leaf_word, cursor_.read_u32());
      OSTREVANE_TRY(leaf.bounding_sphere, math::Sphere::unpack(cursor_));
      OSTREVANE_TRY(leaf.poly_ids, read_poly_id_list(cursor_));
    }
    return leaf;
  }

  // Reads what follows a node's subtrees.
  std::expected<void, ParseError> read_tail(BspNode& node) {
    if (auto* internal = std::get_if<InternalNode>(&node.form)) {
      if (kind_ != BspTreeKind::Structure) {
        OSTREVANE_TRY(internal->bounding_sphere, math::Sphere::unpack(cursor_));
      }
      if (kind_ == BspTreeKind::Drawing) {
        OSTREVANE_TRY(internal->poly_ids, read_poly_id_list(cursor_));
      }
      return {};
    }
    auto& portal = std::get<BspPortal>(node.form);
    if (kind_ != BspTreeKind::Drawing) return {};
    OSTREVANE_TRY(portal.bounding_sphere, math::Sphere::unpack(cursor_));
    // Both counts come before both lists.
    OSTREVANE_TRY(const std::uint32_t poly_count, cursor_.read_u32());
    OSTREVANE_TRY(const std::uint32_t portal_count, cursor_.read_u32());
    OSTREVANE_TRY(portal.poly_ids, read_poly_ids(cursor_, poly_count));
    portal.portals.reserve(cursor_.reservable(portal_count, 2 * sizeof(std::uint16_t)));
    for (std::uint32_t i = 0; i < portal_count; ++i) {
      OSTREVANE_TRY(const PortalPoly portal_poly, PortalPoly::unpack(cursor_));
      portal.portals.push_back(portal_poly);
    }
    return {};
  }

  // Reads the waiting nodes' remaining subtrees and tails, depth-first, hanging each completed
  // subtree on its parent, until the root is complete. `done` is a subtree just completed.
  std::expected<BspNode, ParseError> finish(std::optional<BspNode> done) {
    while (true) {
      if (done) {
        if (open_.empty()) return std::move(*done);
        Open& parent = open_.back();
        const auto [pos_slot, neg_slot] = child_slots(parent.node);
        auto subtree = std::make_unique<BspNode>(std::move(*done));
        done.reset();
        if (parent.want_pos) {
          *pos_slot = std::move(subtree);
          parent.want_pos = false;
        } else {
          *neg_slot = std::move(subtree);
          parent.want_neg = false;
        }
      }
      Open& top = open_.back();
      if (top.want_pos || top.want_neg) {
        if (open_.size() >= kMaxBspDepth) {
          return std::unexpected(ParseError::custom_failure(
              cursor_.position(),
              "BSP tree deeper than " + std::to_string(kMaxBspDepth) + " levels"));
        }
        OSTREVANE_TRY(done, head());
      } else {
        OSTREVANE_TRY_VOID(read_tail(top.node));
        done = std::move(top.node);
        open_.pop_back();
      }
    }
  }

  ByteCursor& cursor_;
  BspTreeKind kind_;
  std::vector<Open> open_;  // root first; never more than kMaxBspDepth entries
};

bool is_letter(std::uint8_t c, char a, char b) noexcept { return c == a || c == b; }

// The subtrees a node holds, for the walks that replace recursion.
std::pair<BspNode*, BspNode*> children_of(const BspNode& node) noexcept {
  if (const auto* internal = std::get_if<InternalNode>(&node.form)) {
    return {internal->pos_child.get(), internal->neg_child.get()};
  }
  if (const auto* portal = std::get_if<BspPortal>(&node.form)) {
    return {portal->pos_child.get(), portal->neg_child.get()};
  }
  return {nullptr, nullptr};
}

// Equality of everything but the subtrees.
bool same_fields(const InternalNode& a, const InternalNode& b) noexcept {
  return a.node_type == b.node_type && a.splitting_plane == b.splitting_plane &&
         a.bounding_sphere == b.bounding_sphere && a.poly_ids == b.poly_ids;
}

bool same_fields(const BspPortal& a, const BspPortal& b) noexcept {
  return a.splitting_plane == b.splitting_plane && a.bounding_sphere == b.bounding_sphere &&
         a.poly_ids == b.poly_ids && a.portals == b.portals;
}

bool same_fields(const BspNode& a, const BspNode& b) noexcept {
  if (a.form.index() != b.form.index()) return false;
  if (const auto* leaf = std::get_if<BspLeaf>(&a.form)) {
    return *leaf == std::get<BspLeaf>(b.form);
  }
  if (const auto* internal = std::get_if<InternalNode>(&a.form)) {
    return same_fields(*internal, std::get<InternalNode>(b.form));
  }
  return same_fields(std::get<BspPortal>(a.form), std::get<BspPortal>(b.form));
}

bool same_subtree(const std::unique_ptr<BspNode>& a, const std::unique_ptr<BspNode>& b) {
  if (!a || !b) return !a && !b;
  return *a == *b;
}

}  // namespace

BspChildren bsp_children(std::uint32_t node_type) noexcept {
  const auto c0 = static_cast<std::uint8_t>(node_type >> 24);
  const auto c1 = static_cast<std::uint8_t>(node_type >> 16);
  const auto c2 = static_cast<std::uint8_t>(node_type >> 8);
  const auto c3 = static_cast<std::uint8_t>(node_type);
  if (c0 != 'B' || !is_letter(c1, 'P', 'p') || !is_letter(c2, 'I', 'n') ||
      !is_letter(c3, 'N', 'n') || (c1 == 'p' && c3 == 'n')) {
    return {};
  }
  return {.pos = c1 == 'P', .neg = c3 == 'N'};
}

std::uint32_t bsp_tag_for(BspChildren children) noexcept {
  if (children.pos && children.neg) return kBspBothChildrenTag;
  if (children.pos) return kBspPosChildTag;
  if (children.neg) return kBspNegChildTag;
  return kBspNoChildTag;
}

std::expected<PortalPoly, ParseError> PortalPoly::unpack(ByteCursor& cursor) {
  FieldReader fields(cursor, "PortalPoly", kPhysicsSource);
  PortalPoly portal;
  OSTREVANE_TRY(portal.portal_index, fields.read("portal_index", portal_index_line, read_u16));
  OSTREVANE_TRY(portal.poly_id, fields.read("poly_id", poly_id_line, read_u16));
  return portal;
}

std::expected<BspPortal, ParseError> BspPortal::read(ByteCursor& cursor, BspTreeKind kind) {
  return TreeReader(cursor, kind).portal();
}

std::expected<BspNode, ParseError> BspNode::read(ByteCursor& cursor, BspTreeKind kind) {
  return TreeReader(cursor, kind).tree();
}

BspNode::~BspNode() {
  // Detach the subtrees level by level so that releasing a deep tree never recurses.
  std::vector<std::unique_ptr<BspNode>> pending;
  const auto detach = [&pending](BspNode& node) {
    auto take = [&pending](std::unique_ptr<BspNode>& child) {
      if (child) pending.push_back(std::move(child));
    };
    if (auto* internal = std::get_if<InternalNode>(&node.form)) {
      take(internal->pos_child);
      take(internal->neg_child);
    } else if (auto* portal = std::get_if<BspPortal>(&node.form)) {
      take(portal->pos_child);
      take(portal->neg_child);
    }
  };
  detach(*this);
  while (!pending.empty()) {
    std::unique_ptr<BspNode> node = std::move(pending.back());
    pending.pop_back();
    detach(*node);
  }
}

bool operator==(const BspNode& a, const BspNode& b) {
  std::vector<std::pair<const BspNode*, const BspNode*>> pending{{&a, &b}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (!same_fields(*x, *y)) return false;
    const auto [x_pos, x_neg] = children_of(*x);
    const auto [y_pos, y_neg] = children_of(*y);
    if ((x_pos == nullptr) != (y_pos == nullptr) || (x_neg == nullptr) != (y_neg == nullptr)) {
      return false;
    }
    if (x_neg != nullptr) pending.emplace_back(x_neg, y_neg);
    if (x_pos != nullptr) pending.emplace_back(x_pos, y_pos);
  }
  return true;
}

bool operator==(const InternalNode& a, const InternalNode& b) {
  return same_fields(a, b) && same_subtree(a.pos_child, b.pos_child) &&
         same_subtree(a.neg_child, b.neg_child);
}

bool operator==(const BspPortal& a, const BspPortal& b) {
  return same_fields(a, b) && same_subtree(a.pos_child, b.pos_child) &&
         same_subtree(a.neg_child, b.neg_child);
}

}  // namespace ostrevane::dat
