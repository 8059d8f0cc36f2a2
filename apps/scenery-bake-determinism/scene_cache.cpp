#include "scenery-bake-determinism/scene_cache.h"

#include "scenery-bake-determinism/fetch_record.h"

namespace ostrevane::determinism {

const std::vector<dat::ObjectDesc>* SceneCache::lookup(const dat::DatDatabase& portal,
                                                       std::uint32_t id) {
  auto it = scenes_.find(id);
  if (it == scenes_.end()) it = scenes_.emplace(id, fetch_record<dat::Scene>(portal, id)).first;
  return it->second ? &it->second->objects : nullptr;
}

}  // namespace ostrevane::determinism
