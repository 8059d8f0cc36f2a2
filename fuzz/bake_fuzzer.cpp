// The bake of one landblock over fuzzed records: the region, the terrain, the buildings, and
// the scenes and models its lookups serve from memory. Records are parsed once each and kept,
// as the tool's caches do; a record that does not parse is simply absent.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "dat/cell_landblock.h"
#include "dat/gfx_obj.h"
#include "dat/landblock_info.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "dat/setup_model.h"
#include "fuzz/allocation_bound.h"
#include "fuzz/bake_input.h"
#include "scenery/bake_landblock.h"
#include "scenery/footprint.h"

namespace {

namespace dat = ostrevane::dat;
namespace fuzz = ostrevane::fuzz;
using ostrevane::math::Vector3;

template <class Record>
std::optional<Record> parse(std::span<const std::uint8_t> bytes) {
  dat::ByteCursor cursor(bytes);
  auto record = Record::unpack(cursor);
  if (!record) return std::nullopt;
  return std::move(*record);
}

class Files {
 public:
  explicit Files(const std::map<std::uint32_t, std::span<const std::uint8_t>>& files)
      : files_(files) {}

  const std::vector<dat::ObjectDesc>* scene(std::uint32_t id) {
    auto it = scenes_.find(id);
    if (it == scenes_.end()) {
      std::optional<dat::Scene> scene;
      if (auto bytes = files_.find(id); bytes != files_.end())
        scene = parse<dat::Scene>(bytes->second);
      it = scenes_.emplace(id, std::move(scene)).first;
    }
    return it->second ? &it->second->objects : nullptr;
  }

  const std::vector<Vector3>* mesh(std::uint32_t id) {
    auto it = meshes_.find(id);
    if (it == meshes_.end()) it = meshes_.emplace(id, model_mesh(id)).first;
    return it->second ? &*it->second : nullptr;
  }

 private:
  std::optional<std::vector<Vector3>> gfx_mesh(std::uint32_t id) const {
    auto bytes = files_.find(id);
    if (bytes == files_.end()) return std::nullopt;
    auto gfx = parse<dat::GfxObj>(bytes->second);
    if (!gfx || gfx->vertex_array.vertices.empty()) return std::nullopt;
    std::vector<Vector3> vertices;
    for (const auto& [vertex_id, vertex] : gfx->vertex_array.vertices) {
      vertices.push_back(vertex.origin);
    }
    return vertices;
  }

  std::optional<std::vector<Vector3>> model_mesh(std::uint32_t id) const {
    if (id >> 24 == 0x01) return gfx_mesh(id);
    if (id >> 24 != 0x02) return std::nullopt;
    auto bytes = files_.find(id);
    if (bytes == files_.end()) return std::nullopt;
    auto setup = parse<dat::SetupModel>(bytes->second);
    if (!setup) return std::nullopt;
    std::vector<Vector3> vertices;
    std::set<std::uint32_t> seen;  // as the tool's mesh cache: each part once
    for (std::uint32_t part : setup->parts) {
      if (!seen.insert(part).second) continue;
      if (auto part_vertices = gfx_mesh(part)) {
        vertices.insert(vertices.end(), part_vertices->begin(), part_vertices->end());
      }
    }
    if (vertices.empty()) return std::nullopt;
    return vertices;
  }

  const std::map<std::uint32_t, std::span<const std::uint8_t>>& files_;
  std::map<std::uint32_t, std::optional<dat::Scene>> scenes_;
  std::map<std::uint32_t, std::optional<std::vector<Vector3>>> meshes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ostrevane::fuzz::AllocationBound bound(size, ostrevane::fuzz::kBakeBytesPerInputByte);
  const fuzz::BakeInput input = fuzz::split_bake_input({data, size});
  const auto region = parse<dat::Region>(input.region);
  const auto terrain = parse<dat::CellLandblock>(input.terrain);
  if (!region || !terrain) return 0;

  Files files(input.files);
  std::vector<ostrevane::scenery::Footprint> footprints;
  if (const auto info = parse<dat::LandblockInfo>(input.info)) {
    for (const dat::BuildInfo& building : info->buildings) {
      if (const auto* mesh = files.mesh(building.model_id)) {
        footprints.push_back(ostrevane::scenery::building_footprint(*mesh, building.frame));
      }
    }
  }
  const auto placements = ostrevane::scenery::bake_landblock_impl(
      *region, *terrain, std::uint32_t{input.landblock_id} << 16,
      [&](std::uint32_t id) { return files.scene(id); },
      [&](std::uint32_t id) { return files.mesh(id); }, footprints, (input.options & 1) != 0);
  (void)placements;
  return 0;
}
