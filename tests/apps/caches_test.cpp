// The scene and mesh caches of one ring bake, over archives built with the writer. Whether a
// cache reads the archive again is seen by changing the archive file under the open handle.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dat/cell_landblock.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "make-demo-world/demo_world.h"
#include "scenery-bake-determinism/mesh_cache.h"
#include "scenery-bake-determinism/placement_line.h"
#include "scenery-bake-determinism/ring_bake.h"
#include "scenery-bake-determinism/scene_cache.h"
#include "scenery/bake_landblock.h"
#include "test_support.h"
#include "write/archive_writer.h"
#include "write/gfx_obj_encoder.h"
#include "write/model_builders.h"
#include "write/scene_encoder.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::determinism {
namespace {

using math::Vector3;

std::vector<std::uint8_t> mesh(std::uint32_t id, std::vector<Vector3> points) {
  write::GfxObjBuilder builder(id);
  for (const Vector3& p : points) builder.add_vertex(p);
  return write::encode_gfx_obj(builder.build());
}

std::vector<std::uint8_t> setup(std::uint32_t id, std::vector<std::uint32_t> parts) {
  write::SetupModelBuilder builder(id);
  for (std::uint32_t part : parts) {
    dat::Frame moved;  // frames and scales of parts are not applied to the vertices
    moved.origin = {100, 100, 100};
    builder.add_part(part, moved, {3, 3, 3});
  }
  return write::encode_setup_model(builder.build());
}

std::vector<std::uint8_t> scene(std::uint32_t id, std::size_t objects) {
  dat::Scene s;
  s.id = id;
  s.objects.resize(objects);
  for (std::size_t i = 0; i < objects; ++i) s.objects[i].object_id = 0x01000000u + i;
  return write::encode_scene(s);
}

// A graphics object of vertex type 2: parses, but holds no vertices.
std::vector<std::uint8_t> mesh_without_vertices(std::uint32_t id) {
  write::GfxObjBuilder builder(id);
  builder.add_vertex({1, 2, 3});
  dat::GfxObj object = builder.build();
  object.vertex_array.vertex_type = 2;
  return write::encode_gfx_obj(object);
}

std::vector<Vector3> sorted(std::vector<Vector3> points) {
  std::sort(points.begin(), points.end(), [](const Vector3& a, const Vector3& b) {
    return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
  });
  return points;
}

class Caches : public ::testing::Test {
 protected:
  // Stores `files` (uncompressed, one block each so that a record can be patched in place).
  dat::DatDatabase open(std::vector<write::ArchiveFile> files) {
    bytes_ = write::write_archive(std::move(files), 4096).bytes;
    path_ = dir_.write("portal.dat", bytes_);
    auto archive = dat::DatDatabase::open(path_);
    EXPECT_TRUE(archive);
    return std::move(*archive);
  }

  // Overwrites the stored bytes of `id` in the archive file with `replacement` (same length).
  void patch(const dat::DatDatabase& archive, std::uint32_t id,
             const std::vector<std::uint8_t>& replacement) {
    const dat::DatFileEntry* entry = archive.find(id);
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry->size, replacement.size());
    std::copy(replacement.begin(), replacement.end(), bytes_.begin() + entry->offset + 4);
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(entry->offset + 4);
    file.write(reinterpret_cast<const char*>(replacement.data()),
               static_cast<std::streamsize>(replacement.size()));
  }

  testing::TempDir dir_;
  std::filesystem::path path_;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(Caches, GraphicsObjectGivesItsLocalVertices) {
  const std::vector<Vector3> points = {{1, 2, 3}, {-4, 5, -6}, {0.5f, -0.25f, 8}};
  const dat::DatDatabase archive = open({{0x01000001, mesh(0x01000001, points)}});
  MeshCache cache;
  const std::vector<Vector3>* vertices = cache.lookup(archive, 0x01000001);
  ASSERT_NE(vertices, nullptr);
  EXPECT_EQ(sorted(*vertices), sorted(points));
  EXPECT_EQ(cache.lookup(archive, 0x01000001), vertices);  // the same stored list
}

TEST_F(Caches, SetupModelConcatenatesItsPartsUnmoved) {
  const std::vector<Vector3> a = {{1, 1, 1}, {2, 2, 2}};
  const std::vector<Vector3> b = {{-1, -1, -1}};
  const dat::DatDatabase archive = open({{0x01000001, mesh(0x01000001, a)},
                                         {0x01000002, mesh(0x01000002, b)},
                                         {0x02000001, setup(0x02000001, {0x01000001, 0x01000002})}});
  MeshCache cache;
  const std::vector<Vector3>* vertices = cache.lookup(archive, 0x02000001);
  ASSERT_NE(vertices, nullptr);
  ASSERT_EQ(vertices->size(), 3u);
  // A's vertices, then B's (each part's own order is the map's).
  EXPECT_EQ(sorted({(*vertices)[0], (*vertices)[1]}), sorted(a));
  EXPECT_EQ((*vertices)[2], b[0]);
}

TEST_F(Caches, ModelsWithoutVerticesGiveNothing) {
  const dat::DatDatabase archive =
      open({{0x01000001, mesh_without_vertices(0x01000001)},
            {0x02000001, setup(0x02000001, {0x01000001, 0x01000009})},  // 9 is not stored
            {0x02000002, setup(0x02000002, {})},
            {0x03000001, mesh(0x03000001, {{1, 1, 1}})},  // parses, but is neither kind
            {0x01000003, {1, 2, 3}}});                      // does not parse
  MeshCache cache;
  for (std::uint32_t id : {0x01000001u, 0x02000001u, 0x02000002u, 0x03000001u, 0x01000003u,
                           0x01000004u /* missing */}) {
    EXPECT_EQ(cache.lookup(archive, id), nullptr) << std::hex << id;
  }
  EXPECT_FALSE(gfx_local_mesh(archive, 0x03000001) == std::nullopt)
      << "the record itself is a readable mesh";
}

TEST_F(Caches, MeshFailuresAndSuccessesAreRemembered) {
  const std::vector<std::uint8_t> good = mesh(0x01000001, {{1, 2, 3}});
  std::vector<std::uint8_t> bad(good.size(), 0xFF);
  const dat::DatDatabase archive = open({{0x01000001, bad}, {0x01000002, good}});
  MeshCache cache;
  EXPECT_EQ(cache.lookup(archive, 0x01000001), nullptr);
  ASSERT_NE(cache.lookup(archive, 0x01000002), nullptr);

  // Swap the records on disk: a cache that read the archive again would see the change.
  patch(archive, 0x01000001, good);
  patch(archive, 0x01000002, bad);
  EXPECT_EQ(cache.lookup(archive, 0x01000001), nullptr);
  EXPECT_NE(cache.lookup(archive, 0x01000002), nullptr);
  MeshCache fresh;
  EXPECT_NE(fresh.lookup(archive, 0x01000001), nullptr);
  EXPECT_EQ(fresh.lookup(archive, 0x01000002), nullptr);
}

TEST_F(Caches, SceneFailuresAndSuccessesAreRemembered) {
  const std::vector<std::uint8_t> good = scene(0x12000001, 3);
  std::vector<std::uint8_t> bad = good;
  bad[4] = 0xFF;  // an object count the data cannot hold
  const dat::DatDatabase archive = open({{0x12000001, bad}, {0x12000002, good}});
  SceneCache cache;
  EXPECT_EQ(cache.lookup(archive, 0x12000001), nullptr);
  EXPECT_EQ(cache.lookup(archive, 0x12000003), nullptr);  // not stored
  const std::vector<dat::ObjectDesc>* objects = cache.lookup(archive, 0x12000002);
  ASSERT_NE(objects, nullptr);
  EXPECT_EQ(objects->size(), 3u);

  patch(archive, 0x12000001, good);
  patch(archive, 0x12000002, bad);
  EXPECT_EQ(cache.lookup(archive, 0x12000001), nullptr);
  EXPECT_EQ(cache.lookup(archive, 0x12000002), objects);
  SceneCache fresh;
  EXPECT_NE(fresh.lookup(archive, 0x12000001), nullptr);
  EXPECT_EQ(fresh.lookup(archive, 0x12000002), nullptr);
}

}  // namespace
}  // namespace ostrevane::determinism

namespace ostrevane::determinism {
namespace {

// Baking with caches that already hold every record gives the same placements as baking with
// empty ones, landblock after landblock of the demo world.
TEST(CachedBake, WarmCachesGiveTheSameLandblocks) {
  const demo::DemoWorld world = demo::make_demo_world({});
  testing::TempDir dir;
  auto portal = dat::DatDatabase::open(dir.write("portal.dat", world.portal));
  auto cell = dat::DatDatabase::open(dir.write("cell.dat", world.cell));
  ASSERT_TRUE(portal && cell);
  auto region_bytes = portal->get_file(0x13000000);
  ASSERT_TRUE(region_bytes);
  dat::ByteCursor cursor(*region_bytes);
  auto region = dat::Region::unpack(cursor);
  ASSERT_TRUE(region);

  SceneCache scenes;
  MeshCache meshes;
  const auto scene_lookup = [&](std::uint32_t id) { return scenes.lookup(*portal, id); };
  const auto mesh_lookup = [&](std::uint32_t id) { return meshes.lookup(*portal, id); };
  std::size_t placed = 0;
  for (std::uint16_t id : ring_landblock_ids()) {
    auto bytes = cell->get_file(std::uint32_t{id} << 16 | 0xFFFF);
    ASSERT_TRUE(bytes);
    dat::ByteCursor terrain_cursor(*bytes);
    auto terrain = dat::CellLandblock::unpack(terrain_cursor);
    ASSERT_TRUE(terrain);
    const auto bake = [&] {
      return scenery::bake_landblock_impl(*region, *terrain, std::uint32_t{id} << 16,
                                          scene_lookup, mesh_lookup, {}, false);
    };
    const std::vector<scenery::Placement> cold = bake();  // fills the caches for this landblock
    const std::vector<scenery::Placement> warm = bake();
    ASSERT_EQ(cold.size(), warm.size()) << std::hex << id;
    for (std::size_t i = 0; i < cold.size(); ++i) {
      EXPECT_EQ(placement_line(cold[i]), placement_line(warm[i]));  // bit for bit, NaN included
    }
    placed += cold.size();
  }
  EXPECT_GT(placed, 1000u);
}

}  // namespace
}  // namespace ostrevane::determinism
