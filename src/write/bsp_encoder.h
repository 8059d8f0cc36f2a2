// Encoders of the BSP trees, mirroring BspNode::read and BspPortal::read. The tree kind decides
// which fields are written, exactly as it decides which are read: fields the kind does not carry
// are left out, and a bounding sphere the kind carries but the node lacks is written as zeros.
//
// An internal node's children must agree with its `node_type` (bsp_children), and a portal node
// must have both children; assertions check this. Without them, the tag decides: a subtree the
// tag announces but the node lacks is written as an empty leaf, one it does not announce is left
// out. Trees of any depth are written without recursion, though the reader accepts no more than
// kMaxBspDepth levels.
#pragma once

#include "dat/bsp.h"
#include "write/byte_writer.h"
#include "write/geometry_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::PortalPoly& portal);
// A whole tree, tags included.
void encode(ByteWriter& out, const dat::BspNode& node, dat::BspTreeKind kind);
// A portal node from its splitting plane on, without the "PORT" tag (what BspPortal::read reads).
void encode(ByteWriter& out, const dat::BspPortal& portal, dat::BspTreeKind kind);

}  // namespace ostrevane::write
