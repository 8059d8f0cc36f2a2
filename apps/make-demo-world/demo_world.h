// A plausible little world, deterministic from a seed: a region with a height table, terrain
// types and scene types; scenes of trees, bushes and rocks; graphics objects with vertex arrays,
// polygons and BSP trees; multi-part setup models; landblocks with varied terrain, heights,
// roads and buildings. Some entries are stored compressed.
#pragma once

#include <cstdint>
#include <vector>

namespace ostrevane::demo {

struct DemoWorldOptions {
  std::uint64_t seed = 0x0057'2EAA'1E00ull;
  // Every landblock of the 256 × 256 world instead of the 13 × 13 ring around 0xA9B4.
  bool full_world = false;
};

struct DemoWorld {
  std::vector<std::uint8_t> portal;  // client_portal.dat
  std::vector<std::uint8_t> cell;    // client_cell_1.dat
  std::size_t portal_entries = 0;
  std::size_t cell_entries = 0;
};

DemoWorld make_demo_world(const DemoWorldOptions& options);

}  // namespace ostrevane::demo
