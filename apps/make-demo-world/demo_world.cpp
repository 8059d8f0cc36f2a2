#include "make-demo-world/demo_world.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "dat/cell_landblock.h"
#include "dat/landblock_info.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "make-demo-world/demo_models.h"
#include "make-demo-world/demo_random.h"
#include "write/archive_writer.h"
#include "write/landblock_encoder.h"
#include "write/region_encoder.h"
#include "write/scene_encoder.h"

namespace ostrevane::demo {

namespace {

// A hash of a lattice point, for terrain noise that is the same whichever landblocks are made.
std::uint32_t lattice_hash(std::uint64_t seed, std::int64_t x, std::int64_t y) {
  Random r(seed ^ (static_cast<std::uint64_t>(x) * 0x9E3779B1ull) ^
           (static_cast<std::uint64_t>(y) * 0x85EBCA77ull << 20));
  return static_cast<std::uint32_t>(r.next());
}

// Smooth value noise in [0, 1) over global vertex coordinates, one lattice cell per `scale`.
float value_noise(std::uint64_t seed, double x, double y, double scale) {
  const double gx = x / scale;
  const double gy = y / scale;
  const auto x0 = static_cast<std::int64_t>(std::floor(gx));
  const auto y0 = static_cast<std::int64_t>(std::floor(gy));
  const double tx = gx - x0;
  const double ty = gy - y0;
  const auto corner = [&](std::int64_t dx, std::int64_t dy) {
    return (lattice_hash(seed, x0 + dx, y0 + dy) >> 8) / 16777216.0;
  };
  const double sx = tx * tx * (3 - 2 * tx);
  const double sy = ty * ty * (3 - 2 * ty);
  const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
  const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
  return static_cast<float>(top + (bottom - top) * sy);
}

// ---------------------------------------------------------------------------------------------
// Scenes and the region

constexpr std::uint32_t kFirstScene = 0x12000001;
constexpr std::uint32_t kSceneCount = 28;
constexpr std::uint32_t kMissingScene = 0x120000FF;   // listed by a scene type, not stored
constexpr std::uint32_t kMissingModel = 0x010000FF;   // placed by a scene, not stored
constexpr std::uint32_t kUnknownKindModel = 0x03000001;  // neither graphics object nor setup

dat::ObjectDesc object_desc(Random& random, std::uint32_t object_id, float frequency) {
  dat::ObjectDesc o;
  o.object_id = object_id;
  o.frame.origin = {random.real(0, 12), random.real(0, 12), 0};
  o.frame.orientation = heading_quaternion(random.real(0, 6.28f));
  o.frequency = frequency;
  o.displace_x = random.chance(0.85) ? random.real(2, 24) : 0.0f;
  o.displace_y = random.chance(0.85) ? random.real(2, 24) : -1.0f;
  o.min_scale = random.real(0.5f, 1.1f);
  o.max_scale = random.chance(0.15) ? o.min_scale : o.min_scale + random.real(0.1f, 0.8f);
  o.max_rotation = random.chance(0.85) ? random.real(30, 360) : 0.0f;
  o.min_slope = 0.0f;
  o.max_slope = random.real(0.5f, 1.5f);
  o.skip_flag = random.chance(0.04) ? 1 : 0;
  return o;
}

void add_scenes(Random& random, const ModelIds& models, std::vector<write::ArchiveFile>& files) {
  for (std::uint32_t i = 0; i < kSceneCount; ++i) {
    dat::Scene scene;
    scene.id = kFirstScene + i;
    const std::uint32_t count = random.range(4, 14);
    for (std::uint32_t k = 0; k < count; ++k) {
      // Scenes lean towards one kind: forests, scrub, rocky ground.
      const std::uint32_t kind = (i % 3 + (random.chance(0.3) ? random.range(1, 2) : 0)) % 3;
      const std::vector<std::uint32_t>& pool =
          kind == 0 ? models.trees : kind == 1 ? models.bushes : models.rocks;
      std::uint32_t id = pool[random.range(0, static_cast<std::uint32_t>(pool.size()) - 1)];
      if (random.chance(0.02)) id = random.chance(0.5) ? kMissingModel : kUnknownKindModel;
      scene.objects.push_back(object_desc(random, id, random.real(0.02f, 0.45f)));
    }
    files.push_back({scene.id, write::encode_scene(scene), random.chance(0.25)});
  }
}

constexpr std::uint32_t kSceneTypes = 16;
constexpr std::uint32_t kTerrainTypes = 14;

dat::Region make_region(Random& random) {
  dat::Region region;
  region.id = 0x13000000;
  region.header_word_1 = 1;
  region.header_word_2 = 0x00010000;
  region.name = "Ostrevane Demo Vale";
  region.land_param_1 = 2;
  region.land_param_2 = 256;
  region.land_param_3 = 24.0f;
  region.land_param_4 = 8;
  region.land_param_5 = 9;
  region.land_param_6 = 192.0f;
  region.land_param_7 = 0x00000100;
  region.land_param_8 = 0x0000FFFF;
  for (std::size_t i = 0; i < region.land_height_table.size(); ++i) {
    const float h = static_cast<float>(i);
    region.land_height_table[i] = 2.0f * h + 0.004f * h * h;  // gentle lowlands, steep peaks
  }

  dat::GameTime& time = region.game_time;
  time.time_value = 3600.0;
  time.time_word_1 = 7620;
  time.time_word_2 = 16;
  time.time_word_3 = 12;
  time.label = "Vale Reckoning";
  for (const char* name : {"Dawnsong", "Highsun", "Evenfall", "Deepnight"}) {
    time.times_of_day.push_back({random.range(0, 1000), random.chance(0.5), name});
  }
  time.labels = {"Firstday", "Seconday", "Thirdday", "Restday"};
  for (const char* name : {"Thaw", "Bloom", "Harvest", "Frost"}) {
    time.seasons.push_back({random.range(0, 100), name});
  }

  region.section_mask = dat::Region::kSkyBit | dat::Region::kSoundBit |
                        dat::Region::kSceneBit | dat::Region::kMiscBit;
  dat::SkyDesc sky;
  sky.sky_value_1 = 0.25;
  sky.sky_value_2 = 0.75;
  dat::DayGroup day;
  day.word = 1;
  day.name = "Clear";
  day.entries.resize(2);
  day.sky_times.resize(1);
  day.sky_times[0].entries.resize(2);
  sky.day_groups.push_back(day);
  region.sky_desc = sky;
  dat::SoundDesc sound;
  sound.ambient_descs.resize(2);
  sound.ambient_descs[0].entries.resize(3);
  region.sound_desc = sound;

  // Scene types draw from one to three scenes; one lists a scene that is not stored and one
  // lists none.
  dat::SceneDesc scenes;
  for (std::uint32_t t = 0; t < kSceneTypes; ++t) {
    dat::SceneType type;
    type.leading_word = t;
    if (t == kSceneTypes - 1) {
      scenes.scene_types.push_back(type);  // no scenes: scenery-free
      continue;
    }
    const std::uint32_t count = random.range(1, 3);
    for (std::uint32_t k = 0; k < count; ++k) {
      type.scene_ids.push_back(kFirstScene + random.range(0, kSceneCount - 1));
    }
    if (t == 7) type.scene_ids.push_back(kMissingScene);
    scenes.scene_types.push_back(type);
  }
  region.scene_desc = scenes;

  // Terrain types list up to eight scene types for the scene selector; the last is water, with
  // none, and some entries point past the scene types.
  const char* names[kTerrainTypes] = {"Meadow", "Forest", "Heath",  "Rock",   "Sand",
                                      "Marsh",  "Grove",  "Scree",  "Steppe", "Orchard",
                                      "Tundra", "Ash",    "Glade",  "Water"};
  for (std::uint32_t t = 0; t < kTerrainTypes; ++t) {
    dat::TerrainType type;
    type.name = names[t];
    type.terrain_word = 0x00100000u * t;
    if (t != kTerrainTypes - 1) {
      const std::uint32_t count = random.range(3, 8);
      for (std::uint32_t k = 0; k < count; ++k) {
        type.scene_type_indices.push_back(random.chance(0.05) ? kSceneTypes + 3
                                                              : random.range(0, kSceneTypes - 1));
      }
    }
    region.terrain_desc.terrain_types.push_back(type);
  }
  region.terrain_desc.trailer_word_1 = 0x10;
  region.terrain_desc.trailer_word_2 = 0x20;
  region.terrain_desc.trailer_pairs_1 = {{1, 2}, {3, 4}};
  region.terrain_desc.trailer_entries.resize(1);
  region.region_misc = dat::RegionMisc{1, 2, 3, 4, 5, 6};
  return region;
}

// ---------------------------------------------------------------------------------------------
// Landblocks

struct LandblockMaker {
  std::uint64_t seed;
  const ModelIds& models;

  // Terrain words and heights from noise over global vertex coordinates, so neighbouring
  // landblocks meet; roads run along a few global grid lines.
  dat::CellLandblock terrain(std::uint16_t id) const {
    dat::CellLandblock block;
    block.id = std::uint32_t{id} << 16 | 0xFFFF;
    block.has_objects = 1;
    const int lx = id >> 8;
    const int ly = id & 0xFF;
    for (int i = 0; i < 81; ++i) {
      const double x = 8.0 * lx + i / 9;
      const double y = 8.0 * ly + i % 9;
      const float relief = 0.65f * value_noise(seed, x, y, 23) + 0.35f * value_noise(seed + 1, x, y, 7);
      block.height[i] = static_cast<std::uint8_t>(std::min(255.0f, relief * 230.0f));
      std::uint32_t type = static_cast<std::uint32_t>(value_noise(seed + 2, x, y, 11) * 13.0f);
      if (relief < 0.18f) type = kTerrainTypes - 1;  // water in the hollows
      const std::uint32_t hash = lattice_hash(seed + 3, static_cast<std::int64_t>(x),
                                              static_cast<std::int64_t>(y));
      const std::uint32_t selector = hash % 6;
      const auto gx = static_cast<std::int64_t>(x);
      const auto gy = static_cast<std::int64_t>(y);
      const bool road = gx % 37 == 5 || gy % 29 == 11 || (gx + gy) % 53 == 0;
      const std::uint32_t road_bits = road ? 1 + hash % 3 : 0;
      block.terrain[i] = static_cast<std::uint16_t>(road_bits | type << 2 | (hash >> 8 & 0xF) << 7 |
                                                    selector << 11);
    }
    return block;
  }

  // Up to three buildings with portals, a few static objects and sometimes a restriction table;
  // about one landblock in six has no record at all.
  std::optional<dat::LandblockInfo> info(std::uint16_t id, Random& random) const {
    if (random.chance(0.16)) return std::nullopt;
    dat::LandblockInfo info;
    info.id = std::uint32_t{id} << 16 | 0xFFFE;
    const std::uint32_t buildings = random.chance(0.45) ? random.range(1, 3) : 0;
    info.num_cells = buildings * 4;
    for (std::uint32_t b = 0; b < buildings; ++b) {
      dat::BuildInfo building;
      building.model_id =
          models.buildings[random.range(0, static_cast<std::uint32_t>(models.buildings.size()) - 1)];
      building.frame.origin = {random.real(16, 176), random.real(16, 176), random.real(0, 200)};
      building.frame.orientation = heading_quaternion(random.real(0, 6.28f));
      building.num_leaves = random.range(1, 6);
      const std::uint32_t portals = random.range(0, 3);
      for (std::uint32_t p = 0; p < portals; ++p) {
        dat::PortalInternal portal;
        portal.flags = static_cast<std::uint16_t>(random.range(0, 3));
        portal.other_cell_id = static_cast<std::uint16_t>(0x0100 + random.range(0, 20));
        portal.other_portal_id = static_cast<std::uint16_t>(random.range(0, 4));
        const std::uint32_t stabs = random.range(0, 5);
        for (std::uint32_t s = 0; s < stabs; ++s) {
          portal.stab_list.push_back(static_cast<std::uint16_t>(random.range(0, 40)));
        }
        building.portals.push_back(portal);
      }
      info.buildings.push_back(building);
    }
    const std::uint32_t objects = random.range(0, 4);
    for (std::uint32_t o = 0; o < objects; ++o) {
      dat::Stab stab;
      stab.id = models.rocks[random.range(0, static_cast<std::uint32_t>(models.rocks.size()) - 1)];
      stab.frame.origin = {random.real(0, 192), random.real(0, 192), random.real(0, 200)};
      stab.frame.orientation = heading_quaternion(random.real(0, 6.28f));
      info.objects.push_back(stab);
    }
    if (random.chance(0.1)) {
      info.pack_mask = dat::LandblockInfo::kRestrictionTableBit;
      dat::RestrictionTable table;
      table.tables[std::uint32_t{id} << 16 | 0x0100] = random.range(1, 9);
      info.restriction_tables = table;
    }
    return info;
  }
};

}  // namespace

DemoWorld make_demo_world(const DemoWorldOptions& options) {
  Random random(options.seed);

  std::vector<write::ArchiveFile> portal_files;
  const ModelIds models = add_models(random, portal_files);
  add_scenes(random, models, portal_files);
  portal_files.push_back({0x13000000, write::encode_region(make_region(random)), false});

  std::vector<write::ArchiveFile> cell_files;
  const LandblockMaker maker{options.seed ^ 0x7E44A1Full, models};
  const auto add_landblock = [&](std::uint16_t id) {
    Random local(options.seed ^ (std::uint64_t{id} * 0x9E3779B97F4A7C15ull));
    const std::uint32_t key = std::uint32_t{id} << 16;
    cell_files.push_back({key | 0xFFFF, write::encode_cell_landblock(maker.terrain(id)),
                          local.chance(0.3)});
    if (auto info = maker.info(id, local)) {
      cell_files.push_back({key | 0xFFFE, write::encode_landblock_info(*info), local.chance(0.3)});
    }
  };
  if (options.full_world) {
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id) add_landblock(static_cast<std::uint16_t>(id));
  } else {
    for (std::uint16_t x = 0xA3; x <= 0xAF; ++x) {
      for (std::uint16_t y = 0xAE; y <= 0xBA; ++y) add_landblock(static_cast<std::uint16_t>(x << 8 | y));
    }
  }

  DemoWorld world;
  world.portal_entries = portal_files.size();
  world.cell_entries = cell_files.size();
  world.portal = write::write_archive(std::move(portal_files), 1024).bytes;
  world.cell = write::write_archive(std::move(cell_files), 256).bytes;
  return world;
}

}  // namespace ostrevane::demo
