// The determinism tool as a process on damaged copies of the demo world: cut-off headers,
// directory nodes, block chains and records, random byte flips and directory cycles. Whatever
// the damage, the tool ends with status 0 or 1, never by a signal or a sanitizer report; with
// 1 its report is the "Error: " report after the progress lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "apps/run_process.h"
#include "dat/dat_database.h"
#include "make-demo-world/demo_world.h"
#include "test_support.h"
#include "write/archive_writer.h"

namespace ostrevane {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kRootOffsetAt = 352;  // the header's root_offset
constexpr std::uint32_t kRegionId = 0x13000000;
constexpr std::size_t kNoLimit = SIZE_MAX;

std::uint32_t u32_at(const Bytes& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

void put_u32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

Bytes cut(Bytes bytes, std::size_t length) {
  bytes.resize(std::min(length, bytes.size()));
  return bytes;
}

struct World {
  Bytes portal;
  Bytes cell;
};

const World& demo_world() {
  static const World world = [] {
    demo::DemoWorld demo = demo::make_demo_world({});
    return World{std::move(demo.portal), std::move(demo.cell)};
  }();
  return world;
}

// The files of an archive as the reader sees them, ready to be written again.
std::vector<write::ArchiveFile> files_of(const Bytes& archive_bytes) {
  TempDir dir;
  auto archive = dat::DatDatabase::open(dir.write("archive.dat", archive_bytes));
  if (!archive) return {};
  std::vector<write::ArchiveFile> files;
  for (const dat::DatFileEntry& entry : archive->entries()) {
    auto bytes = archive->get_file(entry.id);
    if (bytes) files.push_back({entry.id, std::move(*bytes), entry.compressed()});
  }
  return files;
}

// The directory entry of `id` in an archive's bytes.
dat::DatFileEntry entry_of(const Bytes& archive_bytes, std::uint32_t id) {
  TempDir dir;
  auto archive = dat::DatDatabase::open(dir.write("archive.dat", archive_bytes));
  const dat::DatFileEntry* entry = archive ? archive->find(id) : nullptr;
  return entry != nullptr ? *entry : dat::DatFileEntry{};
}

// Points the first block of the chain at `offset` to a block beyond the archive's end.
Bytes chain_leads_past_end(Bytes bytes, std::uint32_t offset) {
  put_u32(bytes, offset, static_cast<std::uint32_t>(bytes.size()) + 4096);
  return bytes;
}

// The archive written again with every file whose id `damaged` selects cut to `keep` of its
// bytes.
Bytes with_records_cut(const Bytes& archive_bytes, std::uint32_t block_size,
                       const std::function<bool(std::uint32_t)>& damaged, double keep) {
  std::vector<write::ArchiveFile> files = files_of(archive_bytes);
  for (write::ArchiveFile& file : files) {
    if (damaged(file.id)) {
      file.bytes.resize(static_cast<std::size_t>(static_cast<double>(file.bytes.size()) * keep));
    }
  }
  return write::write_archive(std::move(files), block_size).bytes;
}

// One damaged world and what the tool must make of it.
struct Case {
  std::string name;
  Bytes portal;
  Bytes cell;
  int exit_status = -1;                    // -1: 0 or 1 are both fine
  std::string report_starts = "";          // with status 1: the start of the "Error: " report
  std::size_t most_placements = kNoLimit;  // with status 0: at most this many placements
};

// The start line and run lines all begin so; the report comes after them.
constexpr std::string_view kProgress = "scenery-bake-determinism: ";

// Checks that the run ended as a clean exit: no signal, status 0 or 1, and with 1 an "Error: "
// report after nothing but progress lines.
::testing::AssertionResult ends_cleanly(const ProcessResult& result) {
  if (result.signal != 0) {
    return ::testing::AssertionFailure() << "killed by signal " << result.signal << "\n"
                                         << result.err;
  }
  if (result.exit_status != 0 && result.exit_status != 1) {
    return ::testing::AssertionFailure() << "exit status " << result.exit_status << "\n"
                                         << result.err;
  }
  if (!result.out.empty()) return ::testing::AssertionFailure() << "output: " << result.out;
  std::size_t line = 0;
  while (line < result.err.size() && result.err.compare(line, kProgress.size(), kProgress) == 0) {
    line = result.err.find('\n', line);
    line = line == std::string::npos ? result.err.size() : line + 1;
  }
  const std::string rest = result.err.substr(line);
  if (result.exit_status == 1 && !rest.starts_with("Error: ")) {
    return ::testing::AssertionFailure() << "no report after the progress lines:\n" << result.err;
  }
  if (result.exit_status == 0 && !rest.empty()) {
    return ::testing::AssertionFailure() << "more than progress lines:\n" << result.err;
  }
  return ::testing::AssertionSuccess();
}

// The placements the tool counted, from its totals line; kNoLimit when it printed none.
std::size_t placements_of(const ProcessResult& result) {
  const std::string totals = "scenery-bake-determinism: total placements = ";
  const std::size_t at = result.err.find(totals);
  return at == std::string::npos ? kNoLimit : std::stoul(result.err.substr(at + totals.size()));
}

// Runs the tool on each case, two at a time, and checks every outcome.
void run_cases(const std::vector<Case>& cases) {
  TempDir dir;
  const auto run = [&](std::size_t i) {
    const fs::path world = dir.path() / std::to_string(i);
    fs::create_directories(world);
    const fs::path portal = world / "portal.dat";
    const fs::path cell = world / "cell.dat";
    if (!write::save_file(portal, cases[i].portal) || !write::save_file(cell, cases[i].cell)) {
      return ProcessResult{};
    }
    return testing::run_process(
        OSTREVANE_TOOL_UNDER_TEST, {},
        {{"OSTREVANE_PORTAL_DAT", portal.string()},
         {"OSTREVANE_CELL_DAT", cell.string()},
         {"OSTREVANE_DETERMINISM_OUT", (world / "out").string()},
         // A sanitizer report must not pass for the tool's own status 1.
         {"ASAN_OPTIONS", "detect_leaks=1:exitcode=99"},
         {"UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1:exitcode=98"}},
        world.string(), 60'000);
  };
  std::vector<ProcessResult> results(cases.size());
  for (std::size_t i = 0; i < cases.size(); i += 2) {
    std::future<ProcessResult> second;
    if (i + 1 < cases.size()) second = std::async(std::launch::async, run, i + 1);
    results[i] = run(i);
    if (second.valid()) results[i + 1] = second.get();
  }
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const ProcessResult& result = results[i];
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ends_cleanly(result));
    if (c.exit_status >= 0) {
      EXPECT_EQ(result.exit_status, c.exit_status) << result.err;
    }
    if (!c.report_starts.empty()) {
      EXPECT_NE(result.err.find("\nError: " + c.report_starts), std::string::npos) << result.err;
    }
    if (c.most_placements != kNoLimit) {
      EXPECT_LE(placements_of(result), c.most_placements) << result.err;
    }
  }
}

// One of the two archives of the world, to be damaged while the other stays whole.
struct Side {
  std::string name;  // "portal" or "cell"
  const Bytes* bytes;
};

std::vector<Side> sides(const World& world) {
  return {{"portal", &world.portal}, {"cell", &world.cell}};
}

// The world with `side` replaced by `damaged`.
Case damaged_case(const World& world, const Side& side, const std::string& what, Bytes damaged,
                  int exit_status = -1, std::string report_starts = "") {
  Case c{side.name + ": " + what, world.portal, world.cell, exit_status, std::move(report_starts)};
  (side.name == "portal" ? c.portal : c.cell) = std::move(damaged);
  return c;
}

TEST(DamagedArchive, UndamagedWorldPasses) {
  const World& world = demo_world();
  run_cases({{"undamaged", world.portal, world.cell, 0}});
}

TEST(DamagedArchive, TruncatedHeaders) {
  const World& world = demo_world();
  std::vector<Case> cases;
  for (const Side& side : sides(world)) {
    // Before the header, inside its first field, inside version_string, one byte short of its end.
    for (std::size_t length : {0, 200, 322, 390, 399}) {
      cases.push_back(damaged_case(world, side, "cut to " + std::to_string(length) + " bytes",
                                   cut(*side.bytes, length), 1, "open " + side.name));
    }
  }
  run_cases(cases);
}

TEST(DamagedArchive, TruncatedDirectoryNodes) {
  const World& world = demo_world();
  std::vector<Case> cases;
  for (const Side& side : sides(world)) {
    const std::uint32_t root = u32_at(*side.bytes, kRootOffsetAt);
    // Cut inside the root's pointer, its branches, its entries and its last byte.
    for (std::uint32_t into : {2u, 100u, 900u, 1719u}) {
      cases.push_back(damaged_case(world, side,
                                   "cut " + std::to_string(into) + " bytes into the root",
                                   cut(*side.bytes, root + into), 1, "open " + side.name));
    }
    // The chain of the root's first child runs off the end of the archive.
    const std::uint32_t child = u32_at(*side.bytes, root + 4);
    ASSERT_NE(child, 0u) << side.name << ": the demo directory has two levels";
    cases.push_back(damaged_case(world, side, "the first child's chain",
                                 chain_leads_past_end(*side.bytes, child), 1, "open " + side.name));
  }
  run_cases(cases);
}

TEST(DamagedArchive, TruncatedBlockChains) {
  const World& world = demo_world();
  const auto portal_chain = [&](std::uint32_t id) {
    return chain_leads_past_end(world.portal, entry_of(world.portal, id).offset);
  };
  run_cases({
      {"region", portal_chain(kRegionId), world.cell, 1, "fetch Region 0x13000000"},
      {"a scene", portal_chain(0x12000001), world.cell, 0},
      {"a setup model", portal_chain(0x02000001), world.cell, 0},
      {"a landblock's terrain", world.portal,
       chain_leads_past_end(world.cell, entry_of(world.cell, 0xA9B4FFFF).offset), 0},
  });
}

TEST(DamagedArchive, TruncatedRecords) {
  const World& world = demo_world();
  const auto cut_portal = [&](std::function<bool(std::uint32_t)> damaged, double keep) {
    return with_records_cut(world.portal, 1024, std::move(damaged), keep);
  };
  const auto cut_cell = [&](std::function<bool(std::uint32_t)> damaged, double keep) {
    return with_records_cut(world.cell, 256, std::move(damaged), keep);
  };
  const auto is_scene = [](std::uint32_t id) { return id >> 24 == 0x12; };
  const auto is_model = [](std::uint32_t id) { return id >> 24 == 0x01 || id >> 24 == 0x02; };
  run_cases({
      {"region", cut_portal([](std::uint32_t id) { return id == kRegionId; }, 0.5), world.cell, 1,
       "parse Region"},
      // Without scenes or terrain nothing is placed.
      {"scenes", cut_portal(is_scene, 0.9), world.cell, 0, "", 0},
      {"terrain", world.portal,
       cut_cell([](std::uint32_t id) { return (id & 0xFFFF) == 0xFFFF; }, 0.99), 0, "", 0},
      {"landblock infos", world.portal,
       cut_cell([](std::uint32_t id) { return (id & 0xFFFF) == 0xFFFE; }, 0.5), 0},
      {"models", cut_portal(is_model, 0.5), world.cell, 0},
  });
}

TEST(DamagedArchive, RandomByteFlips) {
  const World& world = demo_world();
  std::mt19937 random(0x0D5EED);
  const auto anywhere = [&](std::size_t from, std::size_t to) {
    return std::uniform_int_distribution<std::size_t>(from, to - 1)(random);
  };
  std::vector<Case> cases;
  for (int variant = 0; variant < 24; ++variant) {
    const Side side = sides(world)[variant % 2];
    Bytes bytes = *side.bytes;
    const std::uint32_t root = u32_at(bytes, kRootOffsetAt);
    std::vector<std::size_t> positions;
    for (int i = 0; i < 6; ++i) positions.push_back(anywhere(0, bytes.size()));
    // Every few variants the header or the root node is hit too.
    if (variant % 4 == 0) positions.push_back(anywhere(320, 400));
    if (variant % 3 == 0)
      positions.push_back(anywhere(root, std::min<std::size_t>(root + 1720, bytes.size())));
    for (std::size_t at : positions) {
      bytes[at] ^= static_cast<std::uint8_t>(1u << anywhere(0, 8));
    }
    cases.push_back(
        damaged_case(world, side, "variant " + std::to_string(variant), std::move(bytes)));
  }
  run_cases(cases);
}

TEST(DamagedArchive, DirectoryCycles) {
  const World& world = demo_world();
  std::vector<Case> cases;
  for (const Side& side : sides(world)) {
    const std::uint32_t root = u32_at(*side.bytes, kRootOffsetAt);
    const std::uint32_t child = u32_at(*side.bytes, root + 4);
    // Branch slot k lies 4 + 4k bytes into a node's first block, after its next-block pointer.
    const auto branch = [&](const std::string& what, std::uint32_t node, int slot,
                            std::uint32_t target) {
      Bytes copy = *side.bytes;
      put_u32(copy, node + 4 + 4 * slot, target);
      return damaged_case(world, side, what, std::move(copy), 1, "open " + side.name);
    };
    cases.push_back(branch("the root is its own child", root, 0, root));
    cases.push_back(branch("a child leads back to the root", child, 0, root));
    cases.push_back(branch("two slots name one child", root, 1, child));
  }
  run_cases(cases);
}

}  // namespace
}  // namespace ostrevane
