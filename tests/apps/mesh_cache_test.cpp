#include "scenery-bake-determinism/mesh_cache.h"

#include <gtest/gtest.h>

#include <vector>

#include "dat/setup_model.h"
#include "test_support.h"
#include "write/archive_writer.h"
#include "write/gfx_obj_encoder.h"
#include "write/model_builders.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::determinism {
namespace {

using math::Vector3;

constexpr std::uint32_t kSmall = 0x01000001;  // two vertices
constexpr std::uint32_t kLarge = 0x01000002;  // kLargeVertices vertices along x
constexpr std::uint32_t kMissing = 0x01000003;
constexpr std::uint32_t kMixed = 0x02000001;
constexpr std::uint32_t kRepeated = 0x02000002;
constexpr std::uint32_t kOnlyMissing = 0x02000003;
constexpr int kLargeVertices = 1000;
constexpr int kRepeats = 5000;

std::vector<std::uint8_t> setup_of(std::uint32_t id, std::vector<std::uint32_t> parts) {
  dat::SetupModel model;
  model.id = id;
  model.parts = std::move(parts);
  return write::encode_setup_model(model);
}

class MeshCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write::GfxObjBuilder small(kSmall);
    small.add_vertex({1, 2, 3});
    small.add_vertex({-1, -2, -3});
    write::GfxObjBuilder large(kLarge);
    for (int i = 0; i < kLargeVertices; ++i) large.add_vertex({static_cast<float>(i), 0, 0});
    auto archive = dat::DatDatabase::open(dir_.write(
        "portal.dat",
        write::write_archive({{kSmall, write::encode_gfx_obj(small.build())},
                              {kLarge, write::encode_gfx_obj(large.build())},
                              {kMixed, setup_of(kMixed, {kSmall, kMissing, kSmall, kLarge})},
                              {kRepeated, setup_of(kRepeated, std::vector(kRepeats, kLarge))},
                              {kOnlyMissing, setup_of(kOnlyMissing, {kMissing, 0x03000000})}})
            .bytes));
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    portal_.emplace(std::move(*archive));
  }

  testing::TempDir dir_;
  std::optional<dat::DatDatabase> portal_;
  MeshCache cache_;
};

TEST_F(MeshCacheTest, ModelsByKind) {
  const std::vector<Vector3>* small = cache_.lookup(*portal_, kSmall);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->size(), 2u);
  EXPECT_EQ(cache_.lookup(*portal_, kMissing), nullptr);
  EXPECT_EQ(cache_.lookup(*portal_, 0x03000001), nullptr);  // neither kind
  EXPECT_EQ(cache_.lookup(*portal_, kOnlyMissing), nullptr);
  EXPECT_EQ(cache_.lookup(*portal_, kSmall), small);  // the same list, kept
}

// A setup model's mesh holds the vertices of each distinct part once, in the order the parts
// first appear; missing parts add nothing.
TEST_F(MeshCacheTest, SetupModelTakesEachPartOnce) {
  const std::vector<Vector3>* mixed = cache_.lookup(*portal_, kMixed);
  ASSERT_NE(mixed, nullptr);
  ASSERT_EQ(mixed->size(), 2u + kLargeVertices);
  float min_x = 0;
  float max_x = 0;
  for (const Vector3& v : *mixed) {
    min_x = std::min(min_x, v.x);
    max_x = std::max(max_x, v.x);
  }
  EXPECT_EQ(min_x, -1.0f);
  EXPECT_EQ(max_x, static_cast<float>(kLargeVertices - 1));
}

// One part listed 5000 times: the mesh used to repeat the part's 1000 vertices 5000 times
// (60 MB), fetching and parsing the part each time.
TEST_F(MeshCacheTest, RepeatedPartIsFetchedOnce) {
  const std::vector<Vector3>* repeated = cache_.lookup(*portal_, kRepeated);
  ASSERT_NE(repeated, nullptr);
  EXPECT_EQ(repeated->size(), static_cast<std::size_t>(kLargeVertices));
}

}  // namespace
}  // namespace ostrevane::determinism
