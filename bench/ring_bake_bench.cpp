// The determinism tool's phases on the full-size demo world (every landblock of the 256 × 256
// world in the cell archive): opening both archives, loading the region, one ring bake, and
// writing one run's files. The world is generated once, into a temporary directory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "dat/dat_database.h"
#include "dat/region.h"
#include "make-demo-world/demo_world.h"
#include "scenery-bake-determinism/output.h"
#include "scenery-bake-determinism/ring_bake.h"
#include "write/archive_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace ostrevane;

struct FullWorld {
  fs::path dir;
  fs::path portal;
  fs::path cell;

  FullWorld() {
    dir = fs::temp_directory_path() / ("ostrevane-ring-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    demo::DemoWorldOptions options;
    options.full_world = true;
    const demo::DemoWorld world = demo::make_demo_world(options);
    portal = dir / "client_portal.dat";
    cell = dir / "client_cell_1.dat";
    if (!write::save_file(portal, world.portal) || !write::save_file(cell, world.cell)) {
      std::abort();
    }
  }
  ~FullWorld() { fs::remove_all(dir); }
};

const FullWorld& full_world() {
  static const FullWorld world;
  return world;
}

dat::DatDatabase open_or_die(const fs::path& path) {
  auto archive = dat::DatDatabase::open(path);
  if (!archive) std::abort();
  return std::move(*archive);
}

dat::Region region_of(const dat::DatDatabase& portal) {
  auto bytes = portal.get_file(0x13000000);
  if (!bytes) std::abort();
  dat::ByteCursor cursor(*bytes);
  auto region = dat::Region::unpack(cursor);
  if (!region) std::abort();
  return std::move(*region);
}

void BM_OpenArchives(benchmark::State& state) {
  const FullWorld& world = full_world();
  std::size_t entries = 0;
  for (auto _ : state) {
    const dat::DatDatabase portal = open_or_die(world.portal);
    const dat::DatDatabase cell = open_or_die(world.cell);
    entries = portal.entries().size() + cell.entries().size();
    benchmark::DoNotOptimize(entries);
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_OpenArchives)->Unit(benchmark::kMillisecond);

void BM_LoadRegion(benchmark::State& state) {
  const dat::DatDatabase portal = open_or_die(full_world().portal);
  for (auto _ : state) benchmark::DoNotOptimize(region_of(portal));
}
BENCHMARK(BM_LoadRegion)->Unit(benchmark::kMicrosecond);

// One run: fresh caches, so every record is read and parsed again, as in the tool.
void BM_BakeRing(benchmark::State& state) {
  const dat::DatDatabase portal = open_or_die(full_world().portal);
  const dat::DatDatabase cell = open_or_die(full_world().cell);
  const dat::Region region = region_of(portal);
  const std::vector<std::uint16_t> ids = determinism::ring_landblock_ids();
  std::size_t lines = 0;
  for (auto _ : state) {
    const determinism::RingLines run = determinism::bake_ring_to_lines(region, portal, cell, ids);
    lines = 0;
    for (const auto& [id, landblock_lines] : run) lines += landblock_lines.size();
  }
  state.counters["placements"] = static_cast<double>(lines);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ids.size()));
}
BENCHMARK(BM_BakeRing)->Unit(benchmark::kMillisecond);

void BM_WriteRun(benchmark::State& state) {
  const dat::DatDatabase portal = open_or_die(full_world().portal);
  const dat::DatDatabase cell = open_or_die(full_world().cell);
  const dat::Region region = region_of(portal);
  const determinism::RingLines run = determinism::bake_ring_to_lines(
      region, portal, cell, determinism::ring_landblock_ids());
  const std::string out = (full_world().dir / "out").string();
  for (auto _ : state) {
    if (!determinism::write_runs(out, run, {})) std::abort();
  }
}
BENCHMARK(BM_WriteRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
