#include "scenery-bake-determinism/mesh_cache.h"

#include <unordered_set>

#include "dat/gfx_obj.h"
#include "dat/setup_model.h"
#include "scenery-bake-determinism/fetch_record.h"

namespace ostrevane::determinism {

std::optional<std::vector<math::Vector3>> gfx_local_mesh(const dat::DatDatabase& portal,
                                                         std::uint32_t id) {
  const auto gfx = fetch_record<dat::GfxObj>(portal, id);
  if (!gfx || gfx->vertex_array.vertices.empty()) return std::nullopt;
  std::vector<math::Vector3> vertices;
  vertices.reserve(gfx->vertex_array.vertices.size());
  // The map's order is unspecified; consumers only take minima and maxima.
  for (const auto& [vertex_id, vertex] : gfx->vertex_array.vertices) {
    vertices.push_back(vertex.origin);
  }
  return vertices;
}

namespace {

std::optional<std::vector<math::Vector3>> setup_local_mesh(const dat::DatDatabase& portal,
                                                           std::uint32_t id) {
  const auto setup = fetch_record<dat::SetupModel>(portal, id);
  if (!setup) return std::nullopt;
  // A part listed again adds nothing: the mesh only ever yields minima and maxima, and the
  // repeats would only cost a fetch and a copy each (a model can list one part thousands of
  // times).
  std::vector<math::Vector3> vertices;
  std::unordered_set<std::uint32_t> seen;
  for (std::uint32_t part : setup->parts) {
    if (!seen.insert(part).second) continue;
    if (auto part_vertices = gfx_local_mesh(portal, part)) {
      vertices.insert(vertices.end(), part_vertices->begin(), part_vertices->end());
    }
  }
  if (vertices.empty()) return std::nullopt;
  return vertices;
}

std::optional<std::vector<math::Vector3>> model_local_mesh(const dat::DatDatabase& portal,
                                                           std::uint32_t id) {
  switch (id >> 24) {
    case 0x01: return gfx_local_mesh(portal, id);
    case 0x02: return setup_local_mesh(portal, id);
    default: return std::nullopt;
  }
}

}  // namespace

const std::vector<math::Vector3>* MeshCache::lookup(const dat::DatDatabase& portal,
                                                    std::uint32_t id) {
  auto it = meshes_.find(id);
  if (it == meshes_.end()) it = meshes_.emplace(id, model_local_mesh(portal, id)).first;
  return it->second ? &*it->second : nullptr;
}

}  // namespace ostrevane::determinism
