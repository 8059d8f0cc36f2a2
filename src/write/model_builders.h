// Helpers that build consistent model records in code (tests, the demo world): every count a
// record keeps beside its lists is set from the lists, so the encoders accept the result.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dat/bsp.h"
#include "dat/gfx_obj.h"
#include "dat/placement_type.h"
#include "dat/polygon.h"
#include "dat/setup_model.h"
#include "dat/vertex_array.h"
#include "math/plane.h"
#include "math/sphere.h"
#include "math/vector3.h"

namespace ostrevane::write {

// The sphere around the centre of the points' bounding box that holds them all; a zero sphere
// for no points.
math::Sphere bounding_sphere(std::span<const math::Vector3> points);

dat::SWVertex make_vertex(const math::Vector3& origin, const math::Vector3& normal = {0, 0, 1},
                          std::vector<dat::Vec2Duv> uvs = {});

// A one-sided polygon (stippling 0, sides_type 0) over at most 255 vertex ids, with a zero uv
// index per vertex.
dat::Polygon make_polygon(std::vector<std::uint16_t> vertex_ids, std::int16_t surface = 0);

// A hook whose payload is `body` followed by the zero bytes that align the hook to 4 bytes.
dat::AnimationHook make_hook(std::uint32_t hook_type, std::uint32_t param,
                             std::vector<std::uint8_t> body = {});

// A leaf as drawing and structure trees hold it: its index only.
dat::BspNode bsp_leaf(std::uint32_t leaf_index);
// A leaf as physics trees hold it.
dat::BspNode bsp_physics_leaf(std::uint32_t leaf_index, const math::Sphere& sphere,
                              std::vector<std::uint16_t> poly_ids, std::uint32_t leaf_word = 0);
// An internal node whose tag is chosen from the children given (bsp_tag_for).
dat::BspNode bsp_internal(const math::Plane& plane, std::optional<dat::BspNode> pos,
                          std::optional<dat::BspNode> neg,
                          std::optional<math::Sphere> sphere = std::nullopt,
                          std::vector<std::uint16_t> poly_ids = {});
dat::BspNode bsp_portal(const math::Plane& plane, dat::BspNode pos, dat::BspNode neg,
                        std::optional<math::Sphere> sphere = std::nullopt,
                        std::vector<std::uint16_t> poly_ids = {},
                        std::vector<dat::PortalPoly> portals = {});

// Builds a mesh from vertices and polygons. With polygons, build() gives flags 0x3: both polygon
// sets hold every polygon, and both trees split them by the plane x = centre of the vertices'
// bounding box (a polygon goes to the side of its vertices' mean), with a child per side that
// has polygons: physics leaves carry their polygons and spheres, the drawing tree lists all
// polygons at its root. Without polygons the flags are 0. A degrade id adds flags 0x8.
class GfxObjBuilder {
 public:
  explicit GfxObjBuilder(std::uint32_t id) : id_(id) {}

  // Ids are handed out from 0 in order.
  std::uint16_t add_vertex(const math::Vector3& origin, const math::Vector3& normal = {0, 0, 1});
  std::uint16_t add_polygon(std::vector<std::uint16_t> vertex_ids, std::int16_t surface = 0);
  GfxObjBuilder& set_surfaces(std::vector<std::uint32_t> surfaces);
  GfxObjBuilder& set_degrade_id(std::uint32_t degrade_id);

  dat::GfxObj build() const;

 private:
  std::uint32_t id_;
  std::vector<std::uint32_t> surfaces_;
  std::vector<dat::SWVertex> vertices_;
  std::vector<dat::Polygon> polygons_;
  std::optional<std::uint32_t> degrade_id_;
};

// Builds a setup model from its parts: flags 0x2 with one default scale per part, and one
// placement (key 0) holding each part's frame, without hooks.
class SetupModelBuilder {
 public:
  explicit SetupModelBuilder(std::uint32_t id) : id_(id) {}

  SetupModelBuilder& add_part(std::uint32_t gfx_obj_id, const dat::Frame& frame = {},
                              const math::Vector3& scale = {1, 1, 1});

  dat::SetupModel build() const;

 private:
  std::uint32_t id_;
  std::vector<std::uint32_t> parts_;
  std::vector<dat::Frame> frames_;
  std::vector<math::Vector3> scales_;
};

}  // namespace ostrevane::write
