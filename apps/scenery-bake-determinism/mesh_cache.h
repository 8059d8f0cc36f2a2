// Model vertex lists by id for one ring bake: graphics objects (top byte 0x01) and setup models
// (0x02, the plain concatenation of their parts' local vertices, frames and scales not applied;
// a part listed twice contributes once, which changes no minimum or maximum). Failures are
// remembered like successes.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dat/dat_database.h"
#include "math/vector3.h"

namespace ostrevane::determinism {

// The local vertex positions of graphics object `id`, in the object's own space, or nothing when
// it cannot be fetched or parsed or has no vertices. Not cached.
std::optional<std::vector<math::Vector3>> gfx_local_mesh(const dat::DatDatabase& portal,
                                                         std::uint32_t id);

class MeshCache {
 public:
  // A non-empty vertex list, or null. Any other top byte than 0x01 and 0x02 yields null without
  // reading the archive. The list stays valid, unchanged, for the life of the cache.
  const std::vector<math::Vector3>* lookup(const dat::DatDatabase& portal, std::uint32_t id);

 private:
  std::unordered_map<std::uint32_t, std::optional<std::vector<math::Vector3>>> meshes_;
};

}  // namespace ostrevane::determinism
