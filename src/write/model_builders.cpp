#include "write/model_builders.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace ostrevane::write {

namespace {

struct Bounds {
  math::Vector3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::max()};
  math::Vector3 max{std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
                    std::numeric_limits<float>::lowest()};

  void add(const math::Vector3& p) {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
  }
  math::Vector3 center() const {
    return {(min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f};
  }
};

}  // namespace

math::Sphere bounding_sphere(std::span<const math::Vector3> points) {
  if (points.empty()) return {};
  Bounds bounds;
  for (const math::Vector3& p : points) bounds.add(p);
  const math::Vector3 center = bounds.center();
  float radius_squared = 0.0f;
  for (const math::Vector3& p : points) {
    const float dx = p.x - center.x;
    const float dy = p.y - center.y;
    const float dz = p.z - center.z;
    radius_squared = std::max(radius_squared, dx * dx + dy * dy + dz * dz);
  }
  return {center, std::sqrt(radius_squared)};
}

dat::SWVertex make_vertex(const math::Vector3& origin, const math::Vector3& normal,
                          std::vector<dat::Vec2Duv> uvs) {
  assert(uvs.size() <= std::numeric_limits<std::uint16_t>::max());
  dat::SWVertex vertex;
  vertex.num_uvs = static_cast<std::uint16_t>(uvs.size());
  vertex.origin = origin;
  vertex.normal = normal;
  vertex.uvs = std::move(uvs);
  return vertex;
}

dat::Polygon make_polygon(std::vector<std::uint16_t> vertex_ids, std::int16_t surface) {
  assert(vertex_ids.size() <= std::numeric_limits<std::uint8_t>::max());
  dat::Polygon polygon;
  polygon.num_vertices = static_cast<std::uint8_t>(vertex_ids.size());
  polygon.pos_surface = surface;
  polygon.neg_surface = surface;
  polygon.vertex_ids = std::move(vertex_ids);
  polygon.pos_uv_indices.assign(polygon.num_vertices, 0);
  return polygon;
}

dat::AnimationHook make_hook(std::uint32_t hook_type, std::uint32_t param,
                             std::vector<std::uint8_t> body) {
  dat::AnimationHook hook{hook_type, param, std::move(body)};
  hook.payload.resize(hook.payload.size() + (4 - hook.payload.size() % 4) % 4, 0);
  return hook;
}

dat::BspNode bsp_leaf(std::uint32_t leaf_index) {
  dat::BspLeaf leaf;
  leaf.leaf_index = leaf_index;
  return leaf;
}

dat::BspNode bsp_physics_leaf(std::uint32_t leaf_index, const math::Sphere& sphere,
                              std::vector<std::uint16_t> poly_ids, std::uint32_t leaf_word) {
  return dat::BspLeaf{.leaf_index = leaf_index,
                      .leaf_word = leaf_word,
                      .bounding_sphere = sphere,
                      .poly_ids = std::move(poly_ids)};
}

dat::BspNode bsp_internal(const math::Plane& plane, std::optional<dat::BspNode> pos,
                          std::optional<dat::BspNode> neg, std::optional<math::Sphere> sphere,
                          std::vector<std::uint16_t> poly_ids) {
  dat::InternalNode internal;
  internal.node_type = dat::bsp_tag_for({.pos = pos.has_value(), .neg = neg.has_value()});
  internal.splitting_plane = plane;
  if (pos) internal.pos_child = std::make_unique<dat::BspNode>(std::move(*pos));
  if (neg) internal.neg_child = std::make_unique<dat::BspNode>(std::move(*neg));
  internal.bounding_sphere = sphere;
  internal.poly_ids = std::move(poly_ids);
  return internal;
}

dat::BspNode bsp_portal(const math::Plane& plane, dat::BspNode pos, dat::BspNode neg,
                        std::optional<math::Sphere> sphere, std::vector<std::uint16_t> poly_ids,
                        std::vector<dat::PortalPoly> portals) {
  dat::BspPortal portal;
  portal.splitting_plane = plane;
  portal.pos_child = std::make_unique<dat::BspNode>(std::move(pos));
  portal.neg_child = std::make_unique<dat::BspNode>(std::move(neg));
  portal.bounding_sphere = sphere;
  portal.poly_ids = std::move(poly_ids);
  portal.portals = std::move(portals);
  return portal;
}

std::uint16_t GfxObjBuilder::add_vertex(const math::Vector3& origin, const math::Vector3& normal) {
  assert(vertices_.size() <= std::numeric_limits<std::uint16_t>::max());
  vertices_.push_back(make_vertex(origin, normal));
  return static_cast<std::uint16_t>(vertices_.size() - 1);
}

std::uint16_t GfxObjBuilder::add_polygon(std::vector<std::uint16_t> vertex_ids,
                                         std::int16_t surface) {
  assert(polygons_.size() <= std::numeric_limits<std::uint16_t>::max());
  polygons_.push_back(make_polygon(std::move(vertex_ids), surface));
  return static_cast<std::uint16_t>(polygons_.size() - 1);
}

GfxObjBuilder& GfxObjBuilder::set_surfaces(std::vector<std::uint32_t> surfaces) {
  surfaces_ = std::move(surfaces);
  return *this;
}

GfxObjBuilder& GfxObjBuilder::set_degrade_id(std::uint32_t degrade_id) {
  degrade_id_ = degrade_id;
  return *this;
}

dat::GfxObj GfxObjBuilder::build() const {
  dat::GfxObj object;
  object.id = id_;
  object.surfaces = surfaces_;
  object.vertex_array.vertex_type = dat::kVertexTypeWithVertices;
  std::vector<math::Vector3> positions;
  for (std::size_t i = 0; i < vertices_.size(); ++i) {
    object.vertex_array.vertices.emplace(static_cast<std::uint16_t>(i), vertices_[i]);
    positions.push_back(vertices_[i].origin);
  }
  const math::Sphere all = bounding_sphere(positions);
  object.sort_center = all.center;
  if (degrade_id_) {
    object.flags |= dat::kGfxHasDegradeId;
    object.degrade_id = degrade_id_;
  }
  if (polygons_.empty()) return object;

  // Split the polygons by the plane x = centre: a polygon goes to the side of its vertices' mean.
  object.flags |= dat::kGfxHasPhysics | dat::kGfxHasDrawing;
  const math::Plane plane{{1, 0, 0}, -all.center.x};
  std::vector<std::uint16_t> ids[2];  // positive side, negative side
  std::vector<math::Vector3> points[2];
  std::vector<std::uint16_t> all_ids;
  for (std::size_t i = 0; i < polygons_.size(); ++i) {
    const auto id = static_cast<std::uint16_t>(i);
    object.physics_polygons.emplace(id, polygons_[i]);
    object.drawing_polygons.emplace(id, polygons_[i]);
    all_ids.push_back(id);
    float sum_x = 0.0f;
    for (std::uint16_t v : polygons_[i].vertex_ids) {
      if (v < vertices_.size()) sum_x += vertices_[v].origin.x;
    }
    const std::size_t count = std::max<std::size_t>(polygons_[i].vertex_ids.size(), 1);
    const int side = sum_x / static_cast<float>(count) >= all.center.x ? 0 : 1;
    ids[side].push_back(id);
    for (std::uint16_t v : polygons_[i].vertex_ids) {
      if (v < vertices_.size()) points[side].push_back(vertices_[v].origin);
    }
  }

  std::optional<dat::BspNode> physics[2];
  std::optional<dat::BspNode> drawing[2];
  for (int side = 0; side < 2; ++side) {
    if (ids[side].empty()) continue;
    physics[side] = bsp_physics_leaf(side, bounding_sphere(points[side]), ids[side]);
    drawing[side] = bsp_leaf(side);
  }
  object.physics_bsp = bsp_internal(plane, std::move(physics[0]), std::move(physics[1]), all);
  object.drawing_bsp =
      bsp_internal(plane, std::move(drawing[0]), std::move(drawing[1]), all, std::move(all_ids));
  return object;
}

SetupModelBuilder& SetupModelBuilder::add_part(std::uint32_t gfx_obj_id, const dat::Frame& frame,
                                               const math::Vector3& scale) {
  parts_.push_back(gfx_obj_id);
  frames_.push_back(frame);
  scales_.push_back(scale);
  return *this;
}

dat::SetupModel SetupModelBuilder::build() const {
  dat::SetupModel model;
  model.id = id_;
  model.flags = dat::kSetupHasDefaultScales;
  model.parts = parts_;
  model.default_scales = scales_;
  model.placement_frames.emplace(0, dat::PlacementType{.frames = frames_, .hooks = {}});
  return model;
}

}  // namespace ostrevane::write
