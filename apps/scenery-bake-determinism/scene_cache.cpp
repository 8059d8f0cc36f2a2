#include "scenery-bake-determinism/scene_cache.h"

namespace ostrevane::determinism {

namespace {

std::optional<dat::Scene> fetch_scene(const dat::DatDatabase& portal, std::uint32_t id) {
  auto bytes = portal.get_file(id);
  if (!bytes) return std::nullopt;
  dat::ByteCursor cursor(*bytes);
  auto scene = dat::Scene::unpack(cursor);
  if (!scene) return std::nullopt;
  return std::move(*scene);
}

}  // namespace

const std::vector<dat::ObjectDesc>* SceneCache::lookup(const dat::DatDatabase& portal,
                                                       std::uint32_t id) {
  auto it = scenes_.find(id);
  if (it == scenes_.end()) it = scenes_.emplace(id, fetch_scene(portal, id)).first;
  return it->second ? &it->second->objects : nullptr;
}

}  // namespace ostrevane::determinism
