// Landblocks per second of the scenery bake on dense synthetic worlds: every vertex draws from
// scenes of a dozen objects, models have a few hundred vertices, and a few buildings stand in
// each landblock. Each iteration bakes one landblock of the 13 × 13 block around 0xA9B4.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "scenery/bake_landblock.h"

namespace {

using ostrevane::dat::CellLandblock;
using ostrevane::dat::ObjectDesc;
using ostrevane::dat::Region;
using ostrevane::math::Vector3;
using ostrevane::scenery::bake_landblock_impl;
using ostrevane::scenery::Footprint;
using ostrevane::scenery::Placement;

// A fixed pseudo-random sequence, so every run measures the same world.
class Sequence {
 public:
  std::uint32_t next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  float uniform(float low, float high) {
    return low + (high - low) * static_cast<float>(next()) / static_cast<float>(1u << 24);
  }

 private:
  std::uint32_t state_ = 12345;
};

struct WorldShape {
  const char* name;
  int scenes;
  int objects_per_scene;
  int mesh_vertices;
  int buildings;
  float max_frequency;  // frequencies are drawn from [max_frequency / 2, max_frequency)
  bool use_slope_and_bilinear;
};

struct World {
  Region region;
  CellLandblock landblock;
  std::unordered_map<std::uint32_t, std::vector<ObjectDesc>> scenes;
  std::unordered_map<std::uint32_t, std::vector<Vector3>> meshes;
  std::vector<Footprint> buildings;
  std::vector<std::uint32_t> keys;
};

World make_world(const WorldShape& shape) {
  Sequence seq;
  World world;
  for (int b = 0; b < 256; ++b) world.region.land_height_table[b] = 2.0f * static_cast<float>(b);

  // four terrain types, each drawing from two scene types of several scenes
  constexpr int kModels = 16;
  world.region.scene_desc.emplace();
  for (int t = 0; t < 8; ++t) {
    ostrevane::dat::SceneType type;
    for (int s = 0; s < 3; ++s) type.scene_ids.push_back(0x12000000u + (t * 3 + s) % shape.scenes);
    world.region.scene_desc->scene_types.push_back(type);
  }
  for (int t = 0; t < 4; ++t) {
    world.region.terrain_desc.terrain_types.push_back(
        {"terrain", 0, {static_cast<std::uint32_t>(2 * t), static_cast<std::uint32_t>(2 * t + 1)}});
  }
  for (int s = 0; s < shape.scenes; ++s) {
    std::vector<ObjectDesc>& objects = world.scenes[0x12000000u + s];
    for (int j = 0; j < shape.objects_per_scene; ++j) {
      ObjectDesc o;
      o.object_id = 0x01000000u + seq.next() % kModels;
      o.frame.origin = {seq.uniform(-12, 12), seq.uniform(-12, 12), 0};
      o.frequency = seq.uniform(shape.max_frequency / 2, shape.max_frequency);
      o.displace_x = seq.uniform(0, 12);
      o.displace_y = seq.uniform(0, 12);
      o.min_scale = seq.uniform(0.5f, 1.0f);
      o.max_scale = o.min_scale + seq.uniform(0, 1);
      o.max_rotation = 360;
      o.min_slope = 0;
      o.max_slope = 1.2f;
      objects.push_back(o);
    }
  }
  // small models: scenery is a few units across, so overlaps are common but not universal
  for (int m = 0; m < kModels; ++m) {
    std::vector<Vector3>& mesh = world.meshes[0x01000000u + m];
    const float radius = seq.uniform(0.3f, 1.5f);
    for (int v = 0; v < shape.mesh_vertices; ++v) {
      mesh.push_back(
          {seq.uniform(-radius, radius), seq.uniform(-radius, radius), seq.uniform(0, 5)});
    }
  }
  for (int b = 0; b < shape.buildings; ++b) {
    const float x = seq.uniform(10, 170);
    const float y = seq.uniform(10, 170);
    world.buildings.push_back({x, y, x + seq.uniform(5, 15), y + seq.uniform(5, 15)});
  }
  // terrain type in bits 2-6, scene selector in bits 11-15, a road now and then
  for (std::size_t i = 0; i < world.landblock.terrain.size(); ++i) {
    const std::uint32_t road = seq.next() % 10 == 0 ? 1 : 0;
    world.landblock.terrain[i] =
        static_cast<std::uint16_t>(road | (seq.next() % 4) << 2 | (seq.next() % 2) << 11);
    world.landblock.height[i] = static_cast<std::uint8_t>(40 + seq.next() % 20);
  }
  for (std::uint32_t x = 0xA3; x <= 0xAF; ++x) {
    for (std::uint32_t y = 0xAE; y <= 0xBA; ++y) world.keys.push_back((x << 24) | (y << 16));
  }
  return world;
}

void BM_BakeLandblock(benchmark::State& state, WorldShape shape) {
  const World world = make_world(shape);
  const auto scene_lookup = [&](std::uint32_t id) -> const std::vector<ObjectDesc>* {
    const auto it = world.scenes.find(id);
    return it == world.scenes.end() ? nullptr : &it->second;
  };
  const auto mesh_lookup = [&](std::uint32_t id) -> const std::vector<Vector3>* {
    const auto it = world.meshes.find(id);
    return it == world.meshes.end() ? nullptr : &it->second;
  };
  std::size_t next = 0;
  std::size_t placements = 0;
  for (auto _ : state) {
    const std::vector<Placement> baked =
        bake_landblock_impl(world.region, world.landblock, world.keys[next], scene_lookup,
                            mesh_lookup, world.buildings, shape.use_slope_and_bilinear);
    placements += baked.size();
    benchmark::DoNotOptimize(baked.data());
    next = next + 1 == world.keys.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["placements/LB"] =
      benchmark::Counter(static_cast<double>(placements) / static_cast<double>(state.iterations()));
}

const WorldShape kShapes[] = {
    // about as many placements per landblock as a plausible world
    {"typical", 12, 12, 300, 4, 0.2f, false},
    {"dense", 12, 12, 300, 4, 1.0f, false},
    {"dense_slope", 12, 12, 300, 4, 1.0f, true},
    {"dense_large_meshes", 12, 12, 1000, 4, 1.0f, false},
    {"dense_many_objects", 12, 30, 300, 4, 1.0f, false},
};

const bool kRegistered = [] {
  for (const WorldShape& shape : kShapes) {
    benchmark::RegisterBenchmark((std::string("BM_BakeLandblock/") + shape.name).c_str(),
                                 BM_BakeLandblock, shape);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
