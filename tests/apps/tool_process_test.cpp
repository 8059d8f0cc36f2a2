// The determinism tool run as a process on small worlds built here with the project's writer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/run_process.h"
#include "dat/cell_landblock.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "write/archive_writer.h"
#include "write/gfx_obj_encoder.h"
#include "write/landblock_encoder.h"
#include "write/model_builders.h"
#include "write/region_encoder.h"
#include "write/scene_encoder.h"

namespace ostrevane {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::run_process;

constexpr std::uint32_t kBushId = 0x01000001;
constexpr std::uint32_t kSceneId = 0x12000001;
constexpr float kGroundHeight = 10.0f;

// One terrain type (0) drawing from one scene type whose one scene places one small bush at
// every vertex: frequency above 1, no displacement, turn or scale.
dat::Region small_region() {
  dat::Region region;
  region.id = 0x13000000;
  region.name = "Test";
  region.land_height_table.fill(kGroundHeight);
  region.section_mask = dat::Region::kSceneBit;
  region.scene_desc = dat::SceneDesc{{dat::SceneType{0, {kSceneId}}}};
  dat::TerrainType type;
  type.name = "Flat";
  type.scene_type_indices = {0};
  region.terrain_desc.terrain_types = {type};
  return region;
}

std::vector<std::uint8_t> bush_scene() {
  dat::Scene scene;
  scene.id = kSceneId;
  dat::ObjectDesc bush;
  bush.object_id = kBushId;
  bush.frequency = 2.0f;
  bush.min_scale = 1.0f;
  bush.max_scale = 1.0f;
  scene.objects = {bush};
  return write::encode_scene(scene);
}

std::vector<std::uint8_t> bush_mesh() {
  write::GfxObjBuilder bush(kBushId);
  for (float x : {-0.25f, 0.25f}) {
    for (float y : {-0.25f, 0.25f}) bush.add_vertex({x, y, 0.0f});
  }
  return write::encode_gfx_obj(bush.build());
}

std::vector<std::uint8_t> flat_landblock(std::uint16_t id) {
  dat::CellLandblock block;
  block.id = std::uint32_t{id} << 16 | 0xFFFF;
  return write::encode_cell_landblock(block);  // terrain type 0, selector 0, no roads
}

// The line of the bush placed at vertex (vx, vy).
std::string bush_line(int vx, int vy) {
  return "{\"obj_id\":\"0x01000001\",\"x\":" + std::to_string(24 * vx) + ".000000,\"y\":" +
         std::to_string(24 * vy) +
         ".000000,\"z\":10.000000,\"qw\":1.000000,\"qx\":0.000000,\"qy\":0.000000,"
         "\"qz\":0.000000,\"scale\":1.000000,\"source_cell_x\":" +
         std::to_string(vx) + ",\"source_cell_y\":" + std::to_string(vy) +
         ",\"source_obj_idx\":0}\n";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void save(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  ASSERT_TRUE(write::save_file(path, bytes)) << path;
}

class ToolProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ostrevane-tool-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // The built-in locations of the build under test stay empty unless a test fills them.
    fs::remove_all(OSTREVANE_TEST_BUILTIN_DIR);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    fs::remove_all(OSTREVANE_TEST_BUILTIN_DIR);
  }

  // A portal archive with the region (if given), the scene and the bush; a cell archive with
  // flat landblocks 0xA9B4 and 0xA3AE.
  void write_world(const fs::path& where, std::optional<std::vector<std::uint8_t>> region) {
    std::vector<write::ArchiveFile> portal = {{kSceneId, bush_scene()}, {kBushId, bush_mesh()}};
    if (region) portal.push_back({0x13000000, *region});
    save(where / "client_portal.dat", write::write_archive(std::move(portal)).bytes);
    save(where / "client_cell_1.dat",
         write::write_archive({{0xA9B4FFFF, flat_landblock(0xA9B4), true},
                               {0xA3AEFFFF, flat_landblock(0xA3AE)}})
             .bytes);
  }

  ProcessResult run(std::map<std::string, std::optional<std::string>> env) {
    return run_process(OSTREVANE_TOOL_UNDER_TEST, {"ignored", "--arguments"}, env,
                       dir_.string());
  }

  std::map<std::string, std::optional<std::string>> world_env(const fs::path& world) {
    return {{"OSTREVANE_PORTAL_DAT", (world / "client_portal.dat").string()},
            {"OSTREVANE_CELL_DAT", (world / "client_cell_1.dat").string()},
            {"OSTREVANE_DETERMINISM_OUT", (dir_ / "out").string()}};
  }

  std::string start_line(const fs::path& world) {
    return "scenery-bake-determinism: portal=" + (world / "client_portal.dat").string() +
           " cell=" + (world / "client_cell_1.dat").string() + "\n";
  }

  fs::path dir_;
};

constexpr const char* kRunLines =
    "scenery-bake-determinism: baking 13\u00d713 = 169 LBs (run 1)\n"
    "scenery-bake-determinism: baking 13\u00d713 = 169 LBs (run 2)\n";

TEST_F(ToolProcess, IdenticalRunsPassAndWriteEveryLandblock) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  const ProcessResult result = run(world_env(dir_ / "world"));
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, start_line(dir_ / "world") + kRunLines +
                            "scenery-bake-determinism: total placements = 162 across 169 LBs\n"
                            "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical "
                            "across 2 runs\n");

  // A bush at each of the 81 vertices, in vertex order; landblocks without terrain get empty
  // files, and both runs hold the same files.
  std::string expected;
  for (int i = 0; i < 81; ++i) expected += bush_line(i / 9, i % 9);
  for (const char* run : {"run1", "run2"}) {
    const fs::path out = dir_ / "out" / run;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, 169u);
    EXPECT_EQ(slurp(out / "0xA9B4.scenery.jsonl"), expected);
    EXPECT_EQ(slurp(out / "0xA3AE.scenery.jsonl"), expected);
    EXPECT_TRUE(fs::exists(out / "0xAFBA.scenery.jsonl"));
    EXPECT_EQ(fs::file_size(out / "0xAFBA.scenery.jsonl"), 0u);
  }
}

TEST_F(ToolProcess, NoArchiveAnywhere) {
  const ProcessResult result = run({{"OSTREVANE_PORTAL_DAT", (dir_ / "missing.dat").string()}});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "Error: client_portal.dat not found in any candidate location\n");
}

TEST_F(ToolProcess, CellMissingIsReportedBeforeTheStartLine) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  const ProcessResult result =
      run({{"OSTREVANE_PORTAL_DAT", (dir_ / "world/client_portal.dat").string()},
           {"OSTREVANE_CELL_DAT", ""}});  // set but empty: a candidate that never exists
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "Error: client_cell_1.dat not found in any candidate location\n");
}

TEST_F(ToolProcess, BuiltInLocationIsUsedWhenTheVariableNamesNothing) {
  const fs::path builtin = fs::path(OSTREVANE_TEST_BUILTIN_DIR) / "data";
  write_world(builtin, write::encode_region(small_region()));
  auto env = world_env(dir_ / "nowhere");
  const ProcessResult result = run(env);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(result.err.starts_with(start_line(builtin))) << result.err;
}

TEST_F(ToolProcess, PathsThatAreNotUtf8AreShownWithReplacementCharacters) {
  const fs::path world = dir_ / "w\xFFrld";  // a byte that is not UTF-8
  write_world(world, write::encode_region(small_region()));
  const ProcessResult result = run(world_env(world));
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const std::string shown = (dir_ / "w\uFFFDrld").string();
  EXPECT_TRUE(result.err.starts_with("scenery-bake-determinism: portal=" + shown +
                                     "/client_portal.dat cell=" + shown + "/client_cell_1.dat\n"))
      << result.err;
}

TEST_F(ToolProcess, DirectoryAsPortalFailsToOpen) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  auto env = world_env(dir_ / "world");
  env["OSTREVANE_PORTAL_DAT"] = (dir_ / "world").string();
  const ProcessResult result = run(env);
  EXPECT_EQ(result.exit_status, 1);
  const std::string report = result.err.substr(result.err.find('\n') + 1);
  EXPECT_TRUE(report.starts_with("Error: open portal\n\nCaused by:\n    0: Binary read error: \n"))
      << report;
  EXPECT_NE(report.find("Error: Is a directory (os error 21)\x1b[22m\n"
                        "                  \x1b[1mWhile parsing field 'magic' in DatHeader"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\n    1: \n        \u257a"), std::string::npos) << report;
}

TEST_F(ToolProcess, PortalWithoutRegion) {
  write_world(dir_ / "world", std::nullopt);
  const ProcessResult result = run(world_env(dir_ / "world"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, start_line(dir_ / "world") +
                            "Error: fetch Region 0x13000000\n\nCaused by:\n"
                            "    File ID 13000000 not found in provider\n");
  EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(ToolProcess, TruncatedRegion) {
  std::vector<std::uint8_t> region = write::encode_region(small_region());
  region.pop_back();
  write_world(dir_ / "world", region);
  const ProcessResult result = run(world_env(dir_ / "world"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, start_line(dir_ / "world") +
                            "Error: parse Region\n\nCaused by:\n    failed to fill whole buffer\n");
}

TEST_F(ToolProcess, OutputDirectoryIsARegularFile) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  std::ofstream(dir_ / "file") << "x";
  auto env = world_env(dir_ / "world");
  env["OSTREVANE_DETERMINISM_OUT"] = (dir_ / "file").string();
  const ProcessResult result = run(env);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, start_line(dir_ / "world") + kRunLines +
                            "Error: Not a directory (os error 20)\n");
}

TEST_F(ToolProcess, EmptyOutputVariableWritesIntoTheWorkingDirectory) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  auto env = world_env(dir_ / "world");
  env["OSTREVANE_DETERMINISM_OUT"] = "";
  const ProcessResult result = run(env);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(fs::exists(dir_ / "run1/0xA9B4.scenery.jsonl"));
  EXPECT_TRUE(fs::exists(dir_ / "run2/0xA9B4.scenery.jsonl"));
}

TEST_F(ToolProcess, UnwritableLandblockFileNamesItsPath) {
  write_world(dir_ / "world", write::encode_region(small_region()));
  // A directory where run 2's first file should go cannot be opened for writing.
  fs::create_directories(dir_ / "out/run2/0xA3AE.scenery.jsonl");
  const ProcessResult result = run(world_env(dir_ / "world"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, start_line(dir_ / "world") + kRunLines + "Error: write " +
                            (dir_ / "out/run2/0xA3AE.scenery.jsonl").string() +
                            "\n\nCaused by:\n    Is a directory (os error 21)\n");
}

}  // namespace
}  // namespace ostrevane
