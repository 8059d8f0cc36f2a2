// Scenes by id for one ring bake, fetched from the portal archive and parsed once each.
// Failures are remembered like successes: an id that failed is not read again.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dat/dat_database.h"
#include "dat/scene.h"

namespace ostrevane::determinism {

class SceneCache {
 public:
  // The scene's objects, or null when the file is missing, unreadable or does not parse. The
  // list stays valid, unchanged, for the life of the cache.
  const std::vector<dat::ObjectDesc>* lookup(const dat::DatDatabase& portal, std::uint32_t id);

 private:
  std::unordered_map<std::uint32_t, std::optional<dat::Scene>> scenes_;
};

}  // namespace ostrevane::determinism
