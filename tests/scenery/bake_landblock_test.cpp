#include "scenery/bake_landblock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

#include "scenery/position_hash.h"

namespace ostrevane::scenery {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Landblock 0xA9B4: global vertex (8·0xA9 + x, 8·0xB4 + y). The quadrant value of each of its
// vertices, from the hash (0: offset kept, 1: turned (−y, x), 2: (−x, −y), 3: (y, −x)):
//   x=0: 2 1 3 2 1 3 2 0 3      x=3: 2 3 1 2 3 1 2 3 1      x=6: 2 2 2 2 2 2 3 3 3
//   x=1: 1 2 2 3 0 1 2 3 0      x=4: 0 0 0 3 3 3 2 2 1      x=7: 0 3 1 3 2 0 3 1 3
//   x=2: 3 2 2 1 0 3 2 1 0      x=5: 3 1 3 1 3 0 2 0 2      x=8: 3 3 0 1 1 2 3 3 0
constexpr std::uint32_t kKeyA9B4 = 0xA9B40000;

constexpr std::uint32_t kScene = 0x12000001;
constexpr std::uint32_t kPointModel = 0x01000001;   // one vertex at the origin
constexpr std::uint32_t kSquareModel = 0x01000002;  // the square [−2, 2] × [−2, 2]
constexpr std::uint32_t kEmptyModel = 0x01000003;   // a list without vertices
constexpr std::uint32_t kMissingModel = 0x03000004;
constexpr std::uint16_t kNoSceneWord = 0x7C;  // terrain type 31, which the test region lacks

int quadrant_of(std::uint32_t key, std::uint32_t vx, std::uint32_t vy) {
  const double q = vertex_draws(8 * (key >> 24) + vx, 8 * ((key >> 16) & 0xFF) + vy).quadrant;
  return q >= 0.75 ? 3 : q >= 0.5 ? 2 : q >= 0.25 ? 1 : 0;
}

// An object that appears at every vertex (frequency 2), unmoved, unturned, at scale 1.
dat::ObjectDesc object(std::uint32_t model, float x, float y) {
  dat::ObjectDesc o;
  o.object_id = model;
  o.frame.origin = {x, y, 0};
  o.frequency = 2.0f;
  o.min_scale = 1.0f;
  o.max_scale = 1.0f;
  o.max_slope = 10.0f;
  return o;
}

// One terrain type whose single scene type holds the single scene kScene; every terrain word 0,
// all heights 10.
struct World {
  World() {
    region.land_height_table.fill(10.0f);
    region.scene_desc = dat::SceneDesc{{dat::SceneType{0, {kScene}}}};
    region.terrain_desc.terrain_types = {dat::TerrainType{"grass", 0, {0}}};
    meshes[kPointModel] = {{0, 0, 0}};
    meshes[kSquareModel] = {{-2, -2, 5}, {2, 2, 5}, {-2, 2, 5}, {2, -2, 5}};
    meshes[kEmptyModel] = {};
  }

  // Leaves scenery only at vertex (x, y).
  void only_vertex(int x, int y) {
    for (int i = 0; i < 81; ++i) {
      if (i != x * 9 + y) landblock.terrain[i] = kNoSceneWord;
    }
  }

  std::vector<Placement> bake() const {
    return bake_landblock_impl(
        region, landblock, key,
        [this](std::uint32_t id) -> const std::vector<dat::ObjectDesc>* {
          const auto it = scenes.find(id);
          return it == scenes.end() ? nullptr : &it->second;
        },
        [this](std::uint32_t id) -> const std::vector<math::Vector3>* {
          const auto it = meshes.find(id);
          return it == meshes.end() ? nullptr : &it->second;
        },
        buildings, use_slope_and_bilinear);
  }

  dat::Region region;
  dat::CellLandblock landblock;
  std::uint32_t key = kKeyA9B4;
  std::map<std::uint32_t, std::vector<dat::ObjectDesc>> scenes;
  std::map<std::uint32_t, std::vector<math::Vector3>> meshes;
  std::vector<Footprint> buildings;
  bool use_slope_and_bilinear = false;
};

// A placement with no turn and scale 1.
Placement unturned(std::uint32_t id, float x, float y, float z, std::uint32_t vx, std::uint32_t vy,
                   std::uint32_t index) {
  return Placement{id, x, y, z, 1, 0, 0, 0, 1, vx, vy, index};
}

TEST(BakeLandblock, ObjectAtTheVertexIsPlacedAtEveryVertexInOrder) {
  World world;
  world.scenes[kScene] = {object(kPointModel, 0, 0)};
  const std::vector<Placement> placements = world.bake();
  // a zero offset stays zero through any quarter turn, so each object stands on its vertex
  ASSERT_EQ(placements.size(), 81u);
  for (std::uint32_t i = 0; i < 81; ++i) {
    const std::uint32_t vx = i / 9;
    const std::uint32_t vy = i % 9;
    EXPECT_EQ(placements[i], unturned(kPointModel, 24.0f * vx, 24.0f * vy, 10, vx, vy, 0)) << i;
  }
}

TEST(BakeLandblock, FrequencyMustExceedTheVertexDraw) {
  struct Case {
    float frequency;
    std::size_t placed;
  };
  const Case cases[] = {{0.0f, 0}, {-1.0f, 0}, {kNaN, 0}, {1.0f, 81}, {1.5f, 81}, {kInf, 81}};
  for (const Case& c : cases) {
    World world;
    world.scenes[kScene] = {object(kPointModel, 0, 0)};
    world.scenes[kScene][0].frequency = c.frequency;
    EXPECT_EQ(world.bake().size(), c.placed) << c.frequency;
  }

  // with 0.5 exactly the vertices whose draw, from their global indices, lies below 0.5
  World world;
  world.scenes[kScene] = {object(kPointModel, 0, 0)};
  world.scenes[kScene][0].frequency = 0.5f;
  std::vector<std::uint32_t> expected;
  for (std::uint32_t i = 0; i < 81; ++i) {
    if (vertex_draws(1352 + i / 9, 1440 + i % 9).frequency < 0.5) expected.push_back(i);
  }
  ASSERT_GT(expected.size(), 0u);
  ASSERT_LT(expected.size(), 81u);
  std::vector<std::uint32_t> placed;
  for (const Placement& p : world.bake()) placed.push_back(p.source_cell_x * 9 + p.source_cell_y);
  EXPECT_EQ(placed, expected);
}

TEST(BakeLandblock, SkipFlagIsNeverPlaced) {
  World world;
  world.scenes[kScene] = {object(kPointModel, 0, 0)};
  world.scenes[kScene][0].skip_flag = 1;
  EXPECT_TRUE(world.bake().empty());
}

TEST(BakeLandblock, TerrainWithoutScenesGivesNothing) {
  struct Case {
    const char* name;
    void (*change)(World&);
  };
  const Case cases[] = {
      {"no scene section", [](World& w) { w.region.scene_desc.reset(); }},
      {"terrain type beyond the list", [](World& w) { w.landblock.terrain.fill(kNoSceneWord); }},
      {"scene selector beyond the list", [](World& w) { w.landblock.terrain.fill(1 << 11); }},
      {"scene type beyond the list",
       [](World& w) { w.region.terrain_desc.terrain_types[0].scene_type_indices = {1}; }},
      {"scene type without scenes",
       [](World& w) { w.region.scene_desc->scene_types[0].scene_ids.clear(); }},
      {"scene section without scene types",
       [](World& w) { w.region.scene_desc->scene_types.clear(); }},
      {"scene the lookup lacks", [](World& w) { w.scenes.clear(); }},
      {"scene without objects", [](World& w) { w.scenes[kScene].clear(); }},
  };
  for (const Case& c : cases) {
    World world;
    world.scenes[kScene] = {object(kPointModel, 0, 0)};
    ASSERT_EQ(world.bake().size(), 81u);
    c.change(world);
    EXPECT_TRUE(world.bake().empty()) << c.name;
  }
}

TEST(BakeLandblock, SceneChoiceFollowsTheSceneHash) {
  // at vertex (0, 0) of 0xA9B4 the scene value is 0.2935: of 3 scenes ⌊3 · 0.2935⌋ = 0 is taken,
  // of 4 scenes ⌊4 · 0.2935⌋ = 1
  for (const std::uint32_t count : {3u, 4u}) {
    World world;
    world.only_vertex(0, 0);
    std::vector<std::uint32_t>& ids = world.region.scene_desc->scene_types[0].scene_ids;
    ids.clear();
    for (std::uint32_t s = 0; s < count; ++s) {
      ids.push_back(0x12000100 + s);
      world.scenes[0x12000100 + s] = {object(kPointModel, 0, 0)};
      world.meshes[0x01000100 + s] = {{0, 0, 0}};
      world.scenes[0x12000100 + s][0].object_id = 0x01000100 + s;
    }
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), 1u) << count;
    EXPECT_EQ(placements[0].obj_id, count == 3 ? 0x01000100u : 0x01000101u);
  }
}

TEST(BakeLandblock, QuarterTurnsOfTheOffset) {
  // offset (5, 2) at four vertices of 0xA9B4, one per quadrant value
  struct Case {
    int vx, vy, quadrant;
    float x, y;
  };
  const Case cases[] = {
      {4, 2, 0, 96 + 5, 48 + 2},   // kept
      {3, 2, 1, 72 - 2, 48 + 5},   // (−y, x)
      {4, 6, 2, 96 - 5, 144 - 2},  // (−x, −y)
      {4, 4, 3, 96 + 2, 96 - 5},   // (y, −x)
  };
  for (const Case& c : cases) {
    ASSERT_EQ(quadrant_of(kKeyA9B4, c.vx, c.vy), c.quadrant);
    World world;
    world.only_vertex(c.vx, c.vy);
    world.scenes[kScene] = {object(kPointModel, 5, 2)};
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), 1u) << c.quadrant;
    EXPECT_EQ(placements[0].x, c.x) << c.quadrant;
    EXPECT_EQ(placements[0].y, c.y) << c.quadrant;
  }

  // vertices (1, 1) and (0, 0) both turn by half: offset (5, 0) lands on (24 − 5, 24) from the
  // first and on (−5, 0), outside the landblock, from the second
  World world;
  world.scenes[kScene] = {object(kPointModel, 5, 0)};
  world.landblock.terrain.fill(kNoSceneWord);
  world.landblock.terrain[0] = 0;
  world.landblock.terrain[1 * 9 + 1] = 0;
  const std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0], unturned(kPointModel, 19, 24, 10, 1, 1, 0));
}

TEST(BakeLandblock, BoundsIncludeZeroAnd192) {
  // all three vertices keep their offsets (quadrant 0)
  struct Case {
    int vx, vy;
    float ox, oy;
    bool placed;
  };
  const Case cases[] = {
      {7, 0, 24, 0, true},                                                        // (192, 0)
      {7, 0, 24.001f, 0, false},                                                  // just beyond 192
      {7, 0, 24, -0.001f, false},                                                 // just below 0
      {0, 7, 0, 24, true},                                                        // (0, 192)
      {0, 7, -0.001f, 24, false}, {0, 7, 0, 24.001f, false}, {8, 8, 0, 0, true},  // (192, 192)
      {8, 8, 0.001f, 0, false},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(quadrant_of(kKeyA9B4, c.vx, c.vy), 0);
    World world;
    world.only_vertex(c.vx, c.vy);
    world.scenes[kScene] = {object(kPointModel, c.ox, c.oy)};
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), c.placed ? 1u : 0u) << c.vx << "," << c.vy << " " << c.ox;
    if (c.placed) {
      EXPECT_EQ(placements[0].x, 24.0f * c.vx + c.ox);
      EXPECT_EQ(placements[0].y, 24.0f * c.vy + c.oy);
    }
  }
}

TEST(BakeLandblock, NaNPositionsAreNotRejected) {
  // NaN fails every bounds test, so nothing stops it; its cell index is 0, so the road test
  // reads terrain word 0; its footprint stays empty and never overlaps
  World world;
  world.scenes[kScene] = {object(kPointModel, kNaN, kNaN), object(kPointModel, 0, 0)};
  world.only_vertex(4, 4);
  std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 2u);
  EXPECT_TRUE(std::isnan(placements[0].x));
  EXPECT_TRUE(std::isnan(placements[0].y));
  EXPECT_EQ(placements[1].x, 96.0f);

  world.landblock.terrain[0] |= 1;  // road at vertex (0, 0)
  placements = world.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0].source_obj_idx, 1u);

  // a NaN displacement is not "0 or less": it is applied and makes the position NaN; vertex
  // (4, 2) keeps offsets, so only x is NaN
  World displaced;
  displaced.only_vertex(4, 2);
  displaced.scenes[kScene] = {object(kPointModel, 0, 0)};
  displaced.scenes[kScene][0].displace_x = kNaN;
  placements = displaced.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_TRUE(std::isnan(placements[0].x));
  EXPECT_EQ(placements[0].y, 48.0f);
}

TEST(BakeLandblock, NoDisplacementKeepsTheOffsetExact) {
  // vertex (4, 0) keeps offsets; without displacement x = 3.3f + 96 in one f32 addition
  for (const float displace : {0.0f, -1.0f, -kInf}) {
    World world;
    world.only_vertex(4, 0);
    world.scenes[kScene] = {object(kPointModel, 3.3f, 4.7f)};
    world.scenes[kScene][0].displace_x = displace;
    world.scenes[kScene][0].displace_y = displace;
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), 1u);
    EXPECT_EQ(placements[0].x, 3.3f + 96.0f);
    EXPECT_EQ(placements[0].y, 4.7f);
  }
}

TEST(BakeLandblock, DrawsOfVertexZeroOfLandblockA9B4) {
  // Expected values worked out by hand from the formulas (double arithmetic, then rounded to
  // f32). Vertex (0, 0): X = 1352, Y = 1440, quadrant (−x, −y). The object draws are
  //   object 0: displace x 0.21250764249743895, y 0.039899139737411916,
  //             rotation 0.4295547702459501, scale 0.9130561397080754
  //   object 1: displace x 0.4808156391587259, y 0.30820713639869884,
  //             rotation 0.6978627669072371, scale 0.18136415206261294
  // Each object has origin (−5, −5), displacement (2, 3), max_rotation 90, scale 0.5 to 2:
  //   x = −f32(−5 + 2·dx), y = −f32(−5 + 3·dy)
  //   h = f32(90 · rotation · 0.017453299835324287), qz = sin(h/2), qw = cos(h/2)
  //   scale = f32(pow(2 / 0.5, scale draw) · 0.5)
  World world;
  world.only_vertex(0, 0);
  dat::ObjectDesc o = object(kPointModel, -5, -5);
  o.displace_x = 2;
  o.displace_y = 3;
  o.max_rotation = 90;
  o.min_scale = 0.5f;
  o.max_scale = 2;
  world.scenes[kScene] = {o, o};
  const std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 2u);

  const Placement& first = placements[0];
  EXPECT_EQ(first.x, 0x1.24cc8cp+2f);  // 4.574984550
  EXPECT_EQ(first.y, 0x1.3856ep+2f);   // 4.880302429
  EXPECT_EQ(first.z, 10.0f);
  // h = 0.6747433543, h/2 = 0.3373716772
  EXPECT_FLOAT_EQ(first.qz, 0.33100807666778564f);
  EXPECT_FLOAT_EQ(first.qw, 0.9436278939247131f);
  EXPECT_EQ(first.qx, 0.0f);
  EXPECT_EQ(first.qy, 0.0f);
  EXPECT_EQ(first.scale, 0x1.c5dcdep+0f);  // 1.772901416

  const Placement& second = placements[1];
  EXPECT_EQ(second.source_obj_idx, 1u);
  EXPECT_EQ(second.x, 0x1.0274a2p+2f);  // 4.038368702
  EXPECT_EQ(second.y, 0x1.04d3p+2f);    // 4.075378418
  // h = 1.0962007046, h/2 = 0.5481003523
  EXPECT_FLOAT_EQ(second.qz, 0.5210667848587036f);
  EXPECT_FLOAT_EQ(second.qw, 0.8535159230232239f);
  EXPECT_EQ(second.scale, 0x1.492ddp-1f);  // 0.6429276466
}

TEST(BakeLandblock, TurnAndScaleLimits) {
  struct Case {
    float max_rotation, min_scale, max_scale;
    bool identity_turn;
    float scale;  // NaN: only checked to be NaN
  };
  const Case cases[] = {
      {0, 1.5f, 1.5f, true, 1.5f},
      {-30, 1.5f, 1.5f, true, 1.5f},
      {-kInf, 0.25f, 0.25f, true, 0.25f},
      {kNaN, 1, 1, false, 1},  // NaN is not "0 or less": the turn is drawn, and is NaN
      {0, kNaN, kNaN, true, kNaN},
  };
  for (const Case& c : cases) {
    World world;
    world.only_vertex(4, 4);
    dat::ObjectDesc o = object(kPointModel, 0, 0);
    o.max_rotation = c.max_rotation;
    o.min_scale = c.min_scale;
    o.max_scale = c.max_scale;
    world.scenes[kScene] = {o};
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), 1u) << c.max_rotation;
    const Placement& p = placements[0];
    if (c.identity_turn) {
      EXPECT_EQ(p.qw, 1.0f);
      EXPECT_EQ(p.qz, 0.0f);
      EXPECT_FALSE(std::signbit(p.qz));
    } else {
      EXPECT_TRUE(std::isnan(p.qw));
      EXPECT_TRUE(std::isnan(p.qz));
    }
    EXPECT_EQ(p.qx, 0.0f);
    EXPECT_EQ(p.qy, 0.0f);
    if (std::isnan(c.scale)) {
      EXPECT_TRUE(std::isnan(p.scale));
    } else {
      EXPECT_EQ(p.scale, c.scale);
    }
  }
}

TEST(BakeLandblock, TouchingBuildingsBlockPlacement) {
  // the point model at vertex (4, 4) has the footprint of the single point (96, 96)
  const float above = std::nextafter(96.0f, kInf);
  const float below = std::nextafter(96.0f, -kInf);
  struct Case {
    std::vector<Footprint> buildings;
    bool placed;
  };
  const Case cases[] = {
      {{}, true},
      {{{96, 90, 110, 110}}, false},    // its left edge through the point
      {{{80, 90, 96, 110}}, false},     // its right edge
      {{{90, 96, 110, 110}}, false},    // its bottom edge
      {{{90, 80, 110, 96}}, false},     // its top edge
      {{{96, 96, 100, 100}}, false},    // its corner
      {{{above, 90, 110, 110}}, true},  // one ulp apart
      {{{80, 90, below, 110}}, true},
      {{{90, above, 110, 110}}, true},
      {{{90, 80, 110, below}}, true},
      {{Footprint{}}, true},
      {{{0, 0, 10, 10}, {above, above, 120, 120}, {96, 0, 97, 96}}, false},  // the last one
  };
  for (const Case& c : cases) {
    World world;
    world.only_vertex(4, 4);
    world.scenes[kScene] = {object(kPointModel, 0, 0)};
    world.buildings = c.buildings;
    EXPECT_EQ(world.bake().size(), c.placed ? 1u : 0u)
        << (c.buildings.empty() ? 0 : c.buildings.back().min_x);
  }
}

TEST(BakeLandblock, EarlierScenerySurvivesLaterOverlaps) {
  // squares of side 4 around vertex (4, 4): the first covers [94, 98]²; an offset of 4 in any
  // direction makes a square that shares an edge with it, an offset of 4.5 one that does not
  World world;
  world.only_vertex(4, 4);
  world.scenes[kScene] = {object(kSquareModel, 0, 0), object(kSquareModel, 4, 0),
                          object(kSquareModel, 4.5f, 0), object(kSquareModel, 4.5f, 0),
                          object(kPointModel, 0, 0)};
  std::vector<std::uint32_t> placed;
  for (const Placement& p : world.bake()) placed.push_back(p.source_obj_idx);
  EXPECT_EQ(placed, (std::vector<std::uint32_t>{0, 2}));

  // footprints do not carry over from vertex to vertex only by accident: a square at the next
  // vertex (4, 5), 24 away, is placed, and one that reaches back to the first is not
  World two;
  two.landblock.terrain.fill(kNoSceneWord);
  two.landblock.terrain[4 * 9 + 4] = 0;
  two.landblock.terrain[4 * 9 + 5] = 0;
  two.scenes[kScene] = {object(kSquareModel, 0, 0)};
  EXPECT_EQ(two.bake().size(), 2u);
  two.meshes[kSquareModel] = {{-12, -12, 0}, {12, 12, 0}};  // 24 wide: neighbours touch
  EXPECT_EQ(two.bake().size(), 1u);
}

TEST(BakeLandblock, RoadAtTheCellCornerBlocksPlacement) {
  // vertex (4, 0) keeps offsets: offset (−66, 10) puts the object at (30, 10), in cell (1, 0),
  // whose corner vertex (1, 0) is terrain word 9
  struct Case {
    int word;
    std::uint16_t road;
    bool placed;
  };
  const Case cases[] = {
      {-1, 0, true}, {9, 1, false}, {9, 2, false},
      {9, 3, false}, {10, 3, true},  // (1, 1): another corner of the cell
      {18, 3, true},                 // (2, 0)
      {1, 3, true},                  // (0, 1)
      {36, 3, true},                 // the vertex that placed it
  };
  for (const Case& c : cases) {
    ASSERT_EQ(quadrant_of(kKeyA9B4, 4, 0), 0);
    World world;
    world.only_vertex(4, 0);
    world.scenes[kScene] = {object(kPointModel, -66, 10)};
    if (c.word >= 0) world.landblock.terrain[c.word] |= c.road;
    EXPECT_EQ(world.bake().size(), c.placed ? 1u : 0u) << c.word << " " << c.road;
  }

  // at (192, 192) the cell index is 8 on both axes: word 80
  for (const int word : {80, 70, 79, 71}) {
    World world;
    world.only_vertex(8, 8);
    world.scenes[kScene] = {object(kPointModel, 0, 0)};
    world.landblock.terrain[word] |= 1;
    EXPECT_EQ(world.bake().size(), word == 80 ? 0u : 1u) << word;
  }
}

TEST(BakeLandblock, ObjectsWithoutAMeshAreNotPlaced) {
  World world;
  world.only_vertex(4, 4);
  world.scenes[kScene] = {object(kMissingModel, 0, 0), object(kEmptyModel, 0, 0),
                          object(kPointModel, 0, 0)};
  const std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0].obj_id, kPointModel);
  EXPECT_EQ(placements[0].source_obj_idx, 2u);
}

// Height byte H(x, y) = x·y + x + 2·y, table[b] = b.
World warped_world() {
  World world;
  for (int b = 0; b < 256; ++b) world.region.land_height_table[b] = static_cast<float>(b);
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 9; ++y)
      world.landblock.height[x * 9 + y] = static_cast<std::uint8_t>(x * y + x + 2 * y);
  }
  return world;
}

TEST(BakeLandblock, HeightComesFromTheTerrainSurface) {
  // vertex (0, 0) turns by half: offset (−18, −6) lands at (18, 6) in cell (0, 0), with corner
  // heights h00 0, h10 1, h01 2, h11 4
  World world = warped_world();
  world.only_vertex(0, 0);
  world.scenes[kScene] = {object(kPointModel, -18, -6)};
  // the landblock's hash splits cell (0, 0) along (0, 0)-(24, 24); below it z = u/24 + 3v/24,
  // so 0.75 + 0.75 (the other diagonal would give 1.25)
  std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0].z, 1.5f);
  // bilinear: tx = 0.75, ty = 0.25: 1·0.75·0.75 + 0.25·2·0.25 + 0.75·4·0.25 = 1.4375
  world.use_slope_and_bilinear = true;
  placements = world.bake();
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0].z, 1.4375f);
}

TEST(BakeLandblock, SlopeLimitsOnlyWithTheSlopeMode) {
  // H = 24·x: slope atan(1) = 0.785 everywhere except at x = 192, where it is 0
  World world;
  for (int b = 0; b < 256; ++b) world.region.land_height_table[b] = 24.0f * static_cast<float>(b);
  for (int i = 0; i < 81; ++i) world.landblock.height[i] = static_cast<std::uint8_t>(i / 9);
  world.scenes[kScene] = {object(kPointModel, 0, 0)};
  struct Case {
    bool slope_mode;
    float min_slope, max_slope;
    std::size_t placed;
  };
  const Case cases[] = {
      {false, 2, 3, 81},                        // limits ignored
      {true, 0, 0.5f, 9},                       // only the vertices on x = 192
      {true, 0.7f, 1, 72},    {true, 0, 0, 9},  // slope 0 is within [0, 0]
      {true, kNaN, kNaN, 81},                   // NaN limits reject nothing
  };
  for (const Case& c : cases) {
    world.use_slope_and_bilinear = c.slope_mode;
    world.scenes[kScene][0].min_slope = c.min_slope;
    world.scenes[kScene][0].max_slope = c.max_slope;
    const std::vector<Placement> placements = world.bake();
    ASSERT_EQ(placements.size(), c.placed) << c.min_slope << " " << c.max_slope;
    for (const Placement& p : placements) {
      EXPECT_EQ(p.z, p.x);  // z = 24·x on both surfaces
      if (c.placed == 9) {
        EXPECT_EQ(p.x, 192.0f);
      }
    }
  }
}

TEST(BakeLandblock, SameInputsBakeTheSameBytes) {
  World world = warped_world();
  dat::ObjectDesc o = object(kSquareModel, 3, 7);
  o.frequency = 0.7f;
  o.displace_x = 11;
  o.displace_y = 9;
  o.max_rotation = 360;
  o.min_scale = 0.5f;
  o.max_scale = 1.7f;
  dat::ObjectDesc p = o;
  p.object_id = kPointModel;
  p.frame.origin = {-4, 12, 0};
  world.scenes[kScene] = {o, p, o, p, o};
  world.landblock.terrain[40] |= 2;
  world.buildings = {{100, 100, 130, 120}};

  const std::vector<Placement> first = world.bake();
  const std::vector<Placement> second = world.bake();
  ASSERT_GT(first.size(), 20u);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(Placement)), 0);
  // another landblock is another world
  world.key = 0xA9B50000;
  EXPECT_NE(world.bake(), first);
}

// A scene of many objects whose scale is NaN: their footprints are empty, overlap nothing, and
// every object is placed at every vertex. Each candidate used to be tested against every
// placement before it (81 000 placements: minutes of work); the overlap index keeps it linear.
TEST(BakeLandblock, ManyPlacementsStayLinear) {
  World world;
  dat::ObjectDesc desc = object(kSquareModel, 0, 0);
  desc.min_scale = kNaN;
  desc.max_scale = kNaN;
  world.scenes[kScene] = std::vector<dat::ObjectDesc>(1000, desc);
  const std::vector<Placement> placements = world.bake();
  ASSERT_EQ(placements.size(), 81'000u);
  for (std::uint32_t i = 0; i < 81; ++i) {
    const Placement& last = placements[i * 1000 + 999];
    EXPECT_EQ(last.x, 24.0f * static_cast<float>(i / 9)) << i;
    EXPECT_EQ(last.y, 24.0f * static_cast<float>(i % 9)) << i;
    EXPECT_EQ(last.source_obj_idx, 999u) << i;
  }
}

}  // namespace
}  // namespace ostrevane::scenery
