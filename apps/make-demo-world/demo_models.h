// The demo world's models: trees (multi-part setup models), bushes and rocks (graphics objects)
// and buildings (both kinds), each with real vertex arrays, polygons and trees.
#pragma once

#include <cstdint>
#include <vector>

#include "make-demo-world/demo_random.h"
#include "write/archive_writer.h"

namespace ostrevane::demo {

// Model ids of the portal archive, by kind.
struct ModelIds {
  std::vector<std::uint32_t> trees;      // setup models: trunk and one to three crowns
  std::vector<std::uint32_t> bushes;     // graphics objects
  std::vector<std::uint32_t> rocks;      // graphics objects
  std::vector<std::uint32_t> buildings;  // graphics objects and setup models
};

// Appends every model's file to `files`, some of them to be stored compressed.
ModelIds add_models(Random& random, std::vector<write::ArchiveFile>& files);

}  // namespace ostrevane::demo
