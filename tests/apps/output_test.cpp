#include "scenery-bake-determinism/output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ostrevane::determinism {
namespace {

RingLines two_landblocks(std::vector<std::string> a, std::vector<std::string> b) {
  return {{0xA9B4, std::move(a)}, {0xA9B5, std::move(b)}};
}

TEST(CompareRuns, IdenticalRunsPass) {
  const RingLines run = two_landblocks({"l1", "l2"}, {});
  std::string report;
  EXPECT_TRUE(compare_runs(run, run, report));
  EXPECT_EQ(report,
            "scenery-bake-determinism: total placements = 2 across 2 LBs\n"
            "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical across 2 runs\n");
}

TEST(CompareRuns, ShowsOnlyTheFirstDifferingLine) {
  const RingLines run1 = two_landblocks({"a", "b", "c"}, {"x"});
  const RingLines run2 = two_landblocks({"a", "B", "C", "d"}, {"x"});
  std::string report;
  auto verdict = compare_runs(run1, run2, report);
  ASSERT_FALSE(verdict);
  EXPECT_EQ(report,
            "scenery-bake-determinism: total placements = 4 across 2 LBs\n"
            "  LB 0xA9B4: 3 vs 4 lines\n"
            "    line 1: b\n"
            "           : B\n");
  EXPECT_EQ(verdict.error().report(),
            "scenery-bake-determinism: FAIL \u2014 1 LBs drifted between runs");
}

TEST(CompareRuns, LengthOnlyDifferenceShowsJustTheCounts) {
  const RingLines run1 = two_landblocks({"a"}, {"x", "y"});
  const RingLines run2 = two_landblocks({"a", "b"}, {"x"});
  std::string report;
  auto verdict = compare_runs(run1, run2, report);
  ASSERT_FALSE(verdict);
  // The total counts run 1's lines only.
  EXPECT_EQ(report,
            "scenery-bake-determinism: total placements = 3 across 2 LBs\n"
            "  LB 0xA9B4: 1 vs 2 lines\n"
            "  LB 0xA9B5: 2 vs 1 lines\n");
  EXPECT_EQ(verdict.error().report(),
            "scenery-bake-determinism: FAIL \u2014 2 LBs drifted between runs");
}

TEST(CompareRuns, MismatchedIdsAreAnInternalError) {
  const RingLines run1 = {{0x0001, {}}};
  const RingLines run2 = {{0x0002, {}}};
  std::string report;
  auto verdict = compare_runs(run1, run2, report);
  ASSERT_FALSE(verdict);
  EXPECT_EQ(verdict.error().report(), "lb sequence drift");
}

TEST(Output, FileNamesHaveFourUpperCaseDigits) {
  EXPECT_EQ(landblock_file_name(0x00AB), "0x00AB.scenery.jsonl");
  EXPECT_EQ(landblock_file_name(0xA3AE), "0xA3AE.scenery.jsonl");
}

TEST(Output, JoinPathKeepsAnEmptyDirectoryRelative) {
  EXPECT_EQ(join_path("", "run1"), "run1");
  EXPECT_EQ(join_path("out", "run1"), "out/run1");
  EXPECT_EQ(join_path("out/", "run1"), "out/run1");
}

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ostrevane-output-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
  }
  void TearDown() override {
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove_all(dir_);
  }
  static std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_;
};

TEST_F(OutputFiles, WritesBothRunsWithParentsCreated) {
  const std::string out = (dir_ / "a" / "b").string();
  const RingLines run1 = two_landblocks({"l1", "l2"}, {});
  const RingLines run2 = two_landblocks({"l1"}, {"m"});
  ASSERT_TRUE(write_runs(out, run1, run2));
  EXPECT_EQ(slurp(dir_ / "a/b/run1/0xA9B4.scenery.jsonl"), "l1\nl2\n");
  EXPECT_EQ(slurp(dir_ / "a/b/run1/0xA9B5.scenery.jsonl"), "");
  EXPECT_EQ(std::filesystem::file_size(dir_ / "a/b/run1/0xA9B5.scenery.jsonl"), 0u);
  EXPECT_EQ(slurp(dir_ / "a/b/run2/0xA9B4.scenery.jsonl"), "l1\n");
  EXPECT_EQ(slurp(dir_ / "a/b/run2/0xA9B5.scenery.jsonl"), "m\n");
  // Existing directories and files are fine: a second write truncates.
  ASSERT_TRUE(write_runs(out, run2, run2));
  EXPECT_EQ(slurp(dir_ / "a/b/run1/0xA9B4.scenery.jsonl"), "l1\n");
}

TEST_F(OutputFiles, RegularFileAsOutputDirectoryFailsWithTheSystemText) {
  std::filesystem::create_directories(dir_);
  std::ofstream(dir_ / "file") << "x";
  auto written = write_runs((dir_ / "file").string(), {}, {});
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().report(), "Not a directory (os error 20)");
}

TEST_F(OutputFiles, UnwritableFileFailsWithItsPath) {
  if (::geteuid() == 0) {
    // Permissions do not stop root; a directory where the file should be does.
    std::filesystem::create_directories(dir_ / "0xA9B4.scenery.jsonl");
    auto written = write_lines(dir_.string(), 0xA9B4, {"l"});
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().report(), "write " + (dir_ / "0xA9B4.scenery.jsonl").string() +
                                            "\n\nCaused by:\n    Is a directory (os error 21)");
    return;
  }
  std::filesystem::create_directories(dir_);
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
  auto written = write_lines(dir_.string(), 0xA9B4, {"l"});
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().report(), "write " + (dir_ / "0xA9B4.scenery.jsonl").string() +
                                          "\n\nCaused by:\n    Permission denied (os error 13)");
}

}  // namespace
}  // namespace ostrevane::determinism
