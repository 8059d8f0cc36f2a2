// Runs the ostrevane-dat program on archives made by the writer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_support.h"
#include "write/archive_writer.h"

namespace ostrevane {
namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OstrevaneDatTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<write::ArchiveFile> files(3);
    files[0].id = 0x13000000;
    files[0].bytes = std::vector<std::uint8_t>(3000, 'r');
    files[0].compress = true;
    files[1].id = 0x0000ABCD;
    files[1].bytes = {'h', 'i', '\n', 0};
    files[2].id = 0x01000001;
    archive_ = dir_.write("portal.dat", write::write_archive(files, 256).bytes);
  }

  ToolRun run(const std::string& arguments) {
    const auto out = dir_.path() / "stdout";
    const auto err = dir_.path() / "stderr";
    const std::string command = std::string(OSTREVANE_DAT_TOOL) + " " + arguments + " >" +
                                out.string() + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
  }

  testing::TempDir dir_;
  std::filesystem::path archive_;
};

TEST_F(OstrevaneDatTool, ListsEntriesSortedById) {
  const ToolRun r = run("list " + archive_.string());
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.out.size() - r.out.find_last_of('\n'), 1u);
  const std::vector<std::string> prefixes = {"0x0000ABCD 4 stored 0x",
                                             "0x01000001 0 stored 0x00000000\n", "0x13000000 "};
  std::size_t at = 0;
  for (const std::string& prefix : prefixes) {
    EXPECT_EQ(r.out.compare(at, prefix.size(), prefix), 0) << r.out;
    at = r.out.find('\n', at) + 1;
  }
  EXPECT_NE(r.out.find(" compressed 0x"), std::string::npos) << r.out;
  EXPECT_EQ(at, r.out.size());
}

TEST_F(OstrevaneDatTool, InfoShowsHeaderAndEntryCount) {
  const ToolRun r = run("info " + archive_.string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("block_size:     256\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("entries:        3\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("magic:          0x5654534F\n"), std::string::npos) << r.out;
}

TEST_F(OstrevaneDatTool, GetWritesTheDecompressedBytes) {
  const ToolRun region = run("get " + archive_.string() + " 0x13000000");
  EXPECT_EQ(region.status, 0) << region.err;
  EXPECT_EQ(region.out, std::string(3000, 'r'));
  const ToolRun small = run("get " + archive_.string() + " abcd");
  EXPECT_EQ(small.status, 0) << small.err;
  EXPECT_EQ(small.out, std::string("hi\n\0", 4));
  const ToolRun empty = run("get " + archive_.string() + " 01000001");
  EXPECT_EQ(empty.status, 0) << empty.err;
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "");
}

TEST_F(OstrevaneDatTool, FailuresPrintTheErrorReport) {
  const ToolRun missing = run("get " + archive_.string() + " 0A0B0C0D");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "Error: fetch 0x0A0B0C0D\n\nCaused by:\n    File ID 0A0B0C0D not found in provider\n");
  EXPECT_EQ(missing.out, "");

  const std::string nowhere = (dir_.path() / "nowhere.dat").string();
  const ToolRun unopened = run("list " + nowhere);
  EXPECT_EQ(unopened.status, 1);
  EXPECT_EQ(unopened.err, "Error: open " + nowhere +
                              "\n\nCaused by:\n    0: Failed to open file at " + nowhere +
                              ": No such file or directory (os error 2)\n"
                              "    1: No such file or directory (os error 2)\n");
}

TEST_F(OstrevaneDatTool, UsageErrorsAndHelp) {
  const std::string bad[] = {"",
                             "frobnicate x",
                             "list",
                             "get " + archive_.string(),
                             "get " + archive_.string() + " 0x",
                             "get " + archive_.string() + " xyz",
                             "get " + archive_.string() + " 123456789"};
  for (const std::string& arguments : bad) {
    const ToolRun r = run(arguments);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_NE(r.err.find("usage: ostrevane-dat info ARCHIVE"), std::string::npos) << arguments;
    EXPECT_EQ(r.out, "") << arguments;
  }
  const ToolRun help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: ostrevane-dat info ARCHIVE\n"));
  EXPECT_EQ(help.err, "");
}

}  // namespace
}  // namespace ostrevane
