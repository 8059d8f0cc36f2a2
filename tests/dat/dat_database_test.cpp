#include "dat/dat_database.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "dat/strings.h"
#include "test_support.h"
#include "write/archive_writer.h"
#include "write/lrs_compressor.h"

namespace ostrevane::dat {
namespace {

using Bytes = std::vector<std::uint8_t>;
using write::ArchiveImage;
using write::DirectoryNode;

constexpr std::uint32_t kBlock = 256;  // payload 252
constexpr std::uint32_t kPayload = kBlock - 4;
constexpr std::uint32_t kNodeSize = write::kDirectoryNodeSize;

Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
  return out;
}

DatFileEntry make_entry(std::uint32_t id, std::uint32_t offset = 0, std::uint32_t size = 0,
                        std::uint32_t bit_flags = 0) {
  DatFileEntry entry;
  entry.bit_flags = bit_flags;
  entry.id = id;
  entry.offset = offset;
  entry.size = size;
  entry.timestamp = id ^ 0x5A5A;
  entry.version = 3;
  return entry;
}

DirectoryNode leaf(std::vector<DatFileEntry> entries) {
  DirectoryNode node;
  node.entry_count = static_cast<std::uint32_t>(entries.size());
  node.entries = std::move(entries);
  return node;
}

class DatDatabaseTest : public ::testing::Test {
 protected:
  std::expected<DatDatabase, DatError> open_bytes(const Bytes& bytes) {
    return DatDatabase::open(dir_.write("archive-" + std::to_string(count_++) + ".dat", bytes));
  }

  // An archive whose root is `root`, written after everything already in `image`.
  std::expected<DatDatabase, DatError> open_with_root(ArchiveImage& image,
                                                      const DirectoryNode& root) {
    image.header().root_offset = image.append_node(root);
    return open_bytes(image.finish());
  }

  testing::TempDir dir_;
  int count_ = 0;
};

// The single frame of a failed opening's BinRead error.
void expect_bin_read_frame(const std::expected<DatDatabase, DatError>& archive,
                           const std::string& root_text, const std::string& message,
                           std::uint32_t line) {
  ASSERT_FALSE(archive.has_value());
  ASSERT_EQ(archive.error().kind(), DatError::Kind::BinRead) << archive.error().display();
  const ParseError& parse = *archive.error().parse_error();
  EXPECT_EQ(parse.root_text(), root_text);
  ASSERT_EQ(parse.frames().size(), 1u);
  EXPECT_EQ(parse.frames()[0].message, message);
  EXPECT_EQ(parse.frames()[0].source, kLibSource);
  EXPECT_EQ(parse.frames()[0].line, line);
}

void expect_corruption(const std::expected<DatDatabase, DatError>& archive,
                       const std::string& text) {
  ASSERT_FALSE(archive.has_value());
  EXPECT_EQ(archive.error().kind(), DatError::Kind::Corruption);
  EXPECT_EQ(archive.error().display(), "Corruption detected: " + text);
}

TEST_F(DatDatabaseTest, HeaderCutShortNamesTheFirstIncompleteField) {
  struct Field {
    const char* name;
    std::uint32_t line;
  };
  const Field fields[] = {
      {"magic", DatHeader::magic_line},
      {"block_size", DatHeader::block_size_line},
      {"file_size", DatHeader::file_size_line},
      {"dataset", DatHeader::dataset_line},
      {"subset", DatHeader::subset_line},
      {"free_head", DatHeader::free_head_line},
      {"free_tail", DatHeader::free_tail_line},
      {"free_count", DatHeader::free_count_line},
      {"root_offset", DatHeader::root_offset_line},
      {"new_lru", DatHeader::new_lru_line},
      {"old_lru", DatHeader::old_lru_line},
      {"use_lru", DatHeader::use_lru_line},
      {"master_map_id", DatHeader::master_map_id_line},
      {"engine_version", DatHeader::engine_version_line},
      {"game_version", DatHeader::game_version_line},
      {"version_string", DatHeader::version_string_line},
      {"version_minor", DatHeader::version_minor_line},
  };
  ArchiveImage image(kBlock);
  const Bytes full = image.finish();
  // Every length short of the header's end: 319 names magic, 330 file_size, 390 version_string.
  for (std::size_t length = 0; length < 400; ++length) {
    SCOPED_TRACE(length);
    const std::size_t at = length < 320 ? 0 : length - 320;
    const std::size_t index = at < 60 ? at / 4 : at < 76 ? 15 : 16;
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    expect_bin_read_frame(
        open_bytes(cut), index == 15 ? "not enough bytes in reader" : "failed to fill whole buffer",
        std::string("While parsing field '") + fields[index].name + "' in DatHeader",
        fields[index].line);
  }
}

TEST_F(DatDatabaseTest, ExactHeaderWithEmptyDirectoryOpensWithAnyFieldValues) {
  ArchiveImage image(kBlock);
  image.header().magic = 0xDEADBEEF;
  image.header().engine_version = 0xFFFFFFFF;
  image.header().game_version = 7;
  image.header().version_minor = 0x12345678;
  image.header().use_lru = 0x80000001;
  image.header().version_string = {'v', '1', 0xFF, 0, 'x'};
  Bytes bytes = image.finish();
  bytes.resize(400);

  auto archive = open_bytes(bytes);
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_EQ(archive->header(), image.header());
  EXPECT_TRUE(archive->entries().empty());
  auto missing = archive->get_file(0x13000000);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().display(), "File ID 13000000 not found in provider");
}

TEST_F(DatDatabaseTest, ZeroHeaderWithEmptyDirectoryOpens) {
  // Nothing is read with the block size while the directory is empty.
  auto archive = open_bytes(Bytes(400, 0));
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_TRUE(archive->entries().empty());
  auto data = archive->read_file_data(512, 1);
  ASSERT_FALSE(data.has_value());
  EXPECT_EQ(data.error().display(), "Corruption detected: block size 0 leaves no room for data");
}

TEST_F(DatDatabaseTest, BlockSizeWithoutRoomForDataIsRejected) {
  for (std::uint32_t block_size : {0u, 3u, 4u}) {
    ArchiveImage image(kBlock);
    image.header().block_size = block_size;
    expect_corruption(open_with_root(image, leaf({make_entry(1)})),
                      "block size " + std::to_string(block_size) + " leaves no room for data");
  }
}

TEST_F(DatDatabaseTest, DirectoryFailsInTheMagicField) {
  expect_bin_read_frame(DatDatabase::open(dir_.path()), "Is a directory (os error 21)",
                        "While parsing field 'magic' in DatHeader", DatHeader::magic_line);
}

TEST_F(DatDatabaseTest, MissingPathIsAPathError) {
  const std::filesystem::path path = dir_.path() / "no-such.dat";
  auto archive = DatDatabase::open(path);
  ASSERT_FALSE(archive.has_value());
  EXPECT_EQ(archive.error().kind(), DatError::Kind::PathError);
  EXPECT_EQ(archive.error().display(),
            "Failed to open file at " + path.string() + ": No such file or directory (os error 2)");
  EXPECT_EQ(archive.error().causes(),
            std::vector<std::string>{"No such file or directory (os error 2)"});
}

TEST_F(DatDatabaseTest, WrittenArchiveRoundTrips) {
  std::vector<write::ArchiveFile> files;
  for (std::uint32_t i = 0; i < 3000; ++i) {
    write::ArchiveFile file;
    file.id = 0x01000000u + i * 977u;
    file.bytes = pattern(i % 7 == 0 ? 0 : (i * 37) % 1500, static_cast<std::uint8_t>(i));
    file.compress = i % 3 == 0;
    file.timestamp = i;
    files.push_back(std::move(file));
  }
  auto archive = open_bytes(write::write_archive(files, kBlock).bytes);
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  ASSERT_EQ(archive->entries().size(), files.size());
  for (const write::ArchiveFile& file : files) {
    const DatFileEntry* entry = archive->find(file.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->timestamp, file.timestamp);
    EXPECT_EQ(entry->compressed(), file.compress);
    auto bytes = archive->get_file(file.id);
    ASSERT_TRUE(bytes.has_value()) << bytes.error().display();
    EXPECT_EQ(*bytes, file.bytes) << file.id;
  }
  EXPECT_EQ(archive->find(0x01000001u), nullptr);
  EXPECT_EQ(archive->get_file(0x01000001u).error().kind(), DatError::Kind::NotFound);
}

TEST_F(DatDatabaseTest, EntryCount61IsIndexedAnd62FailsInBitFlags) {
  std::vector<DatFileEntry> entries;
  for (std::uint32_t k = 0; k < 61; ++k) entries.push_back(make_entry(1000 - k));
  {
    ArchiveImage image(kBlock);
    auto archive = open_with_root(image, leaf(entries));
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    ASSERT_EQ(archive->entries().size(), 61u);
    EXPECT_EQ(archive->entries().front().id, 940u);  // sorted by id
    EXPECT_EQ(*archive->find(1000), entries[0]);
  }
  for (std::uint32_t count : {62u, 0xFFFFFFFFu}) {
    ArchiveImage image(kBlock);
    DirectoryNode node = leaf(entries);
    node.entry_count = count;
    expect_bin_read_frame(open_with_root(image, node), "failed to fill whole buffer",
                          "While parsing field 'bit_flags' in DatFileEntry",
                          DatFileEntry::bit_flags_line);
  }
}

TEST_F(DatDatabaseTest, EmptyLeafRootOpensEmpty) {
  ArchiveImage image(kBlock);
  auto archive = open_with_root(image, leaf({}));
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_TRUE(archive->entries().empty());
}

TEST_F(DatDatabaseTest, BranchSlotsVisitedFollowTheEntryCount) {
  constexpr std::uint32_t kPastEnd = 0x7FFFFF00;  // reading a node there would fail
  ArchiveImage image(kBlock);
  const std::uint32_t a = image.append_node(leaf({make_entry(10, 111), make_entry(11)}));
  const std::uint32_t c = image.append_node(leaf({make_entry(10, 333), make_entry(30)}));
  const std::uint32_t d = image.append_node(leaf({make_entry(40)}));

  struct Case {
    const char* name;
    std::array<std::uint32_t, 4> branches;
    std::uint32_t entry_count;
    std::vector<std::uint32_t> ids;  // indexed ids, own entries 1, 2, ... included
    std::uint32_t offset_of_10;      // which child's entry for id 10 remains
  };
  const Case cases[] = {
      {"slot 0 empty makes a leaf", {0, a, c, d}, 1, {1}, 0},
      {"slot 0 empty, other slots past the end",
       {0, kPastEnd, kPastEnd, kPastEnd},
       3,
       {1, 2, 3},
       0},
      {"entry count 0 visits slot 0 only", {a, kPastEnd, c, d}, 0, {10, 11}, 111},
      {"entry count 2: A and C in order, D beyond the count",
       {a, 0, c, d},
       2,
       {1, 2, 10, 11, 30},
       333},
      {"entry count 3 reaches D", {a, 0, c, d}, 3, {1, 2, 3, 10, 11, 30, 40}, 333},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ArchiveImage copy = image;
    DirectoryNode root;
    std::copy(test.branches.begin(), test.branches.end(), root.branches.begin());
    root.entry_count = test.entry_count;
    for (std::uint32_t k = 0; k < test.entry_count; ++k) root.entries.push_back(make_entry(k + 1));
    auto archive = open_with_root(copy, root);
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    std::vector<std::uint32_t> ids;
    for (const DatFileEntry& entry : archive->entries()) ids.push_back(entry.id);
    EXPECT_EQ(ids, test.ids);
    if (test.offset_of_10 != 0) {
      EXPECT_EQ(archive->find(10)->offset, test.offset_of_10);
    }
  }
}

TEST_F(DatDatabaseTest, LaterEntriesOfAnIdReplaceEarlierOnes) {
  ArchiveImage image(kBlock);
  // The child comes after its parent in the walk; within a node the later slot comes last.
  const std::uint32_t child = image.append_node(leaf({make_entry(5, 0x500), make_entry(6, 0x600)}));
  DirectoryNode root = leaf({make_entry(5, 0x100), make_entry(7, 0x700), make_entry(7, 0x701)});
  root.branches[0] = child;
  auto archive = open_with_root(image, root);
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  ASSERT_EQ(archive->entries().size(), 3u);
  EXPECT_EQ(archive->find(5)->offset, 0x500u);
  EXPECT_EQ(archive->find(6)->offset, 0x600u);
  EXPECT_EQ(archive->find(7)->offset, 0x701u);
}

// A directory tree in memory, written bottom-up and walked in pre-order as the reader must.
struct TreeNode {
  std::vector<DatFileEntry> entries;
  std::vector<std::unique_ptr<TreeNode>> children;  // slots 0..entries.size(); null is empty
};

std::unique_ptr<TreeNode> random_tree(std::mt19937& rng, int depth, std::uint32_t id_range) {
  auto node = std::make_unique<TreeNode>();
  const bool inner = depth > 0 && rng() % 4 != 0;
  // Inner nodes hold a few entries, so that the trees stay small; leaves up to all 61.
  const auto count = static_cast<std::uint32_t>(rng() % (inner ? 6 : 62));
  for (std::uint32_t k = 0; k < count; ++k) {
    node->entries.push_back(make_entry(static_cast<std::uint32_t>(rng() % id_range) * 0x01010101u,
                                       static_cast<std::uint32_t>(rng())));
  }
  if (inner) {
    for (std::uint32_t j = 0; j <= count; ++j) {
      node->children.push_back(j == 0 || rng() % 3 != 0 ? random_tree(rng, depth - 1, id_range)
                                                        : nullptr);
    }
  }
  return node;
}

std::uint32_t write_tree(ArchiveImage& image, const TreeNode& tree) {
  DirectoryNode node = leaf(tree.entries);
  for (std::size_t j = 0; j < tree.children.size(); ++j) {
    if (tree.children[j]) node.branches[j] = write_tree(image, *tree.children[j]);
  }
  // Slots past the entry count are never visited, whatever they hold.
  if (!tree.children.empty() && tree.entries.size() + 1 < node.branches.size()) {
    node.branches[tree.entries.size() + 1] = 0x7FFFFF00;
  }
  return image.append_node(node);
}

void walk_tree(const TreeNode& tree, std::map<std::uint32_t, DatFileEntry>& index) {
  for (const DatFileEntry& entry : tree.entries) index.insert_or_assign(entry.id, entry);
  for (const auto& child : tree.children) {
    if (child) walk_tree(*child, index);
  }
}

TEST_F(DatDatabaseTest, IndexKeepsTheLastEntryOfEveryIdInPreOrder) {
  std::mt19937 rng(20240611);  // fixed: every run checks the same trees
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    // Few distinct ids make many repeats; many make a scattered, mostly unique index.
    const std::uint32_t id_range = round % 2 == 0 ? 50 : 0xFFFFFFFFu / 0x01010101u;
    const std::unique_ptr<TreeNode> tree = random_tree(rng, 3, id_range);
    ArchiveImage image(kBlock);
    image.header().root_offset = write_tree(image, *tree);
    std::map<std::uint32_t, DatFileEntry> expected;
    walk_tree(*tree, expected);

    auto archive = open_bytes(image.finish());
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    ASSERT_EQ(archive->entries().size(), expected.size());
    std::size_t i = 0;
    for (const auto& [id, entry] : expected) EXPECT_EQ(archive->entries()[i++], entry);
  }
}

TEST_F(DatDatabaseTest, DirectoryThatRevisitsANodeIsRejected) {
  {
    SCOPED_TRACE("a node that is its own child");
    ArchiveImage image(kBlock);
    const std::uint32_t root_at = image.next_offset();
    DirectoryNode root = leaf({make_entry(1)});
    root.branches[0] = root_at;
    expect_corruption(open_with_root(image, root),
                      "directory node at offset 0x00000200 leads back to one of its ancestors");
  }
  {
    SCOPED_TRACE("a grandchild pointing at the root");
    ArchiveImage image(kBlock);
    const std::uint32_t grandchild_at = image.next_offset();
    const std::uint32_t child_at = grandchild_at + 7 * kBlock;  // a node takes 7 blocks
    const std::uint32_t root_at = child_at + 7 * kBlock;
    DirectoryNode grandchild = leaf({make_entry(3)});
    grandchild.branches[0] = root_at;
    ASSERT_EQ(image.append_node(grandchild), grandchild_at);
    DirectoryNode child = leaf({make_entry(2)});
    child.branches[0] = grandchild_at;
    ASSERT_EQ(image.append_node(child), child_at);
    DirectoryNode root = leaf({make_entry(1)});
    root.branches[0] = child_at;
    expect_corruption(open_with_root(image, root), "directory node at offset 0x" +
                                                       hex_upper(root_at, 8) +
                                                       " leads back to one of its ancestors");
  }
  {
    SCOPED_TRACE("one node shared by two branches");
    ArchiveImage image(kBlock);
    const std::uint32_t shared = image.append_node(leaf({make_entry(2)}));
    DirectoryNode root = leaf({make_entry(1)});
    root.branches[0] = shared;
    root.branches[1] = shared;
    expect_corruption(open_with_root(image, root),
                      "directory node at offset 0x" + hex_upper(shared, 8) + " is reached twice");
  }
}

TEST_F(DatDatabaseTest, DirectoryOfOverlappingNodesIsRejected) {
  // Sixty-two leaves four bytes apart in one run of zeros (each an empty one-block node), all
  // children of the root: more nodes than the file could hold without sharing bytes.
  ArchiveImage image(kBlock);
  const std::uint32_t leaves = image.append_block(0, Bytes(4 * 62 + kNodeSize, 0));
  DirectoryNode root = leaf({});
  for (std::uint32_t k = 0; k < 62; ++k) root.branches[k] = leaves + 4 * k;
  root.entry_count = 61;
  root.entries.assign(61, make_entry(1));
  const Bytes bytes = [&] {
    image.header().root_offset = image.append_node(root);
    return image.finish();
  }();
  const std::uint32_t nodes_that_fit = static_cast<std::uint32_t>(bytes.size()) / kNodeSize;
  expect_corruption(open_bytes(bytes),
                    "directory has more nodes than the file has room for at node offset 0x" +
                        hex_upper(leaves + 4 * (nodes_that_fit - 1), 8));
}

TEST_F(DatDatabaseTest, NodesThatShareBlocksCannotOutgrowTheArchive) {
  // Every node of a ternary tree seven levels deep is one 16-byte block holding its three
  // branches, chained to one shared tail that holds 61 entries: 1093 nodes and 66673 entries
  // (1.6 MB of index) from about 20 KB of archive. Disjoint nodes would need 1.9 MB.
  constexpr std::uint32_t kSmallBlock = 16;  // payload 12: the three branches
  ArchiveImage image(kSmallBlock);
  DirectoryNode shape;
  shape.entry_count = 61;
  for (std::uint32_t i = 0; i < 61; ++i) shape.entries.push_back(make_entry(i + 1));
  const Bytes node_bytes = write::encode_node(shape);
  const std::uint32_t tail = image.append_chain(std::span(node_bytes).subspan(12));

  std::function<std::uint32_t(int)> subtree = [&](int levels) {
    std::uint32_t branches[3] = {};
    if (levels > 1) {
      for (std::uint32_t& branch : branches) branch = subtree(levels - 1);
    }
    Bytes payload(12);
    std::memcpy(payload.data(), branches, sizeof branches);
    return image.append_block(tail, payload);
  };
  const std::uint32_t root = subtree(7);
  image.header().root_offset = root;
  const Bytes bytes = image.finish();
  ASSERT_LT(bytes.size(), 21'000u);

  // The walk stops at the first node beyond what the archive could hold apart.
  auto archive = open_bytes(bytes);
  ASSERT_FALSE(archive.has_value());
  EXPECT_EQ(archive.error().kind(), DatError::Kind::Corruption);
  EXPECT_TRUE(archive.error().display().starts_with(
      "Corruption detected: directory has more nodes than the file has room for at node offset "
      "0x"))
      << archive.error().display();
}

TEST_F(DatDatabaseTest, DirectoryDepthIsBounded) {
  // A chain of nodes, each the only child of the one before, deepest first and root last.
  auto chain = [](std::uint32_t levels, std::uint32_t* deepest) {
    ArchiveImage image(kBlock);
    std::uint32_t below = 0;
    for (std::uint32_t level = levels; level > 0; --level) {
      DirectoryNode node = leaf({make_entry(level)});
      node.branches[0] = below;
      below = image.append_node(node);
      if (level == levels) *deepest = below;
    }
    image.header().root_offset = below;
    return image.finish();
  };
  std::uint32_t deepest = 0;
  auto archive = open_bytes(chain(64, &deepest));
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_EQ(archive->entries().size(), 64u);

  const Bytes too_deep = chain(65, &deepest);
  expect_corruption(open_bytes(too_deep),
                    "directory deeper than 64 levels at node offset 0x" + hex_upper(deepest, 8));
}

TEST_F(DatDatabaseTest, DirectoryNodeCutShortFailsWithIo) {
  ArchiveImage image(kBlock);
  const std::uint32_t node = image.append_node(leaf({make_entry(1)}));
  image.header().root_offset = node;
  Bytes bytes = image.finish();
  bytes.resize(node + 1000);
  auto archive = open_bytes(bytes);
  ASSERT_FALSE(archive.has_value());
  EXPECT_EQ(archive.error().kind(), DatError::Kind::Io);
  EXPECT_EQ(archive.error().display(), "IO error: failed to fill whole buffer");
}

// Chains of file data, read through entries of a one-leaf directory.
class FileChainTest : public DatDatabaseTest {
 protected:
  std::expected<DatDatabase, DatError> open_with(ArchiveImage& image,
                                                 std::vector<DatFileEntry> entries) {
    return open_with_root(image, leaf(std::move(entries)));
  }
};

TEST_F(FileChainTest, ChainStopsOnceTheSizeIsGathered) {
  ArchiveImage image(kBlock);
  const Bytes data = pattern(3 * kPayload, 1);
  const std::uint32_t first = image.append_chain(data);
  // The second block completes the data: its pointer is read but not followed.
  image.patch_u32(image.chain_block(first, 1), 0xFFFFFF00);
  auto archive = open_with(image, {make_entry(1, first, 2 * kPayload)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  auto bytes = archive->get_file(1);
  ASSERT_TRUE(bytes.has_value()) << bytes.error().display();
  EXPECT_EQ(*bytes, Bytes(data.begin(), data.begin() + 2 * kPayload));
  // Fetching again reads again and gives the same bytes.
  EXPECT_EQ(archive->get_file(1).value(), *bytes);
}

TEST_F(FileChainTest, LastBlockDeliversTheRestInOneRun) {
  ArchiveImage image(kBlock);
  const Bytes data = pattern(300, 2);  // two blocks, the second holding 48 bytes
  const std::uint32_t first = image.append_chain(data);
  const Bytes after = pattern(kPayload, 3);
  image.append_block(0xABCDEF01, after);
  // 600 bytes: 252 from the first block, then 348 from the second's payload on, running over
  // its zero padding into the block after it.
  auto archive = open_with(image, {make_entry(1, first, 600)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  Bytes expected = data;
  expected.resize(2 * kPayload, 0);                           // the second block's padding
  expected.insert(expected.end(), {0x01, 0xEF, 0xCD, 0xAB});  // the third block's pointer
  expected.insert(expected.end(), after.begin(), after.begin() + 92);
  ASSERT_EQ(expected.size(), 600u);
  EXPECT_EQ(archive->get_file(1).value(), expected);
}

TEST_F(FileChainTest, OneBlockChainDeliversMoreThanOnePayload) {
  ArchiveImage image(kBlock);
  const Bytes data = pattern(700, 4);
  const std::uint32_t block = image.append_block(0, data);
  auto archive = open_with(image, {make_entry(1, block, 700)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_EQ(archive->get_file(1).value(), data);
}

TEST_F(FileChainTest, ChainOffTheEndOfTheArchiveFailsWithIo) {
  ArchiveImage image(kBlock);
  const Bytes data = pattern(2 * kPayload, 5);
  const std::uint32_t past = image.append_chain(data);
  image.patch_u32(past, 0x7FFFFFF0);  // first block points past the end
  const std::uint32_t whole = image.append_chain(data);
  auto archive =
      open_with(image, {make_entry(1, past, 2 * kPayload), make_entry(2, whole, 2 * kPayload),
                        make_entry(3, 0x7FFFFFF0, 1), make_entry(4, 0xFFFFFFFE, 1)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  for (std::uint32_t id : {1u, 3u, 4u}) {
    auto bytes = archive->get_file(id);
    ASSERT_FALSE(bytes.has_value());
    EXPECT_EQ(bytes.error().kind(), DatError::Kind::Io);
    EXPECT_EQ(bytes.error().display(), "IO error: failed to fill whole buffer");
  }
  EXPECT_EQ(archive->get_file(2).value(), data);  // a failure leaves the archive usable
}

TEST_F(FileChainTest, TruncatedArchiveEndsTheChainWithIo) {
  ArchiveImage image(kBlock);
  const Bytes data = pattern(2 * kPayload, 6);
  // The directory first, so that the file's chain is the end of the archive.
  const std::uint32_t first = image.next_offset() + 7 * kBlock;  // a node takes 7 blocks
  image.header().root_offset = image.append_node(leaf({make_entry(1, first, 2 * kPayload)}));
  ASSERT_EQ(image.append_chain(data), first);
  for (std::uint32_t cut : {first + 2, first + 100, first + kBlock + 3, first + 2 * kBlock - 1}) {
    SCOPED_TRACE(cut);
    Bytes bytes = image.finish();
    bytes.resize(cut);
    auto archive = open_bytes(bytes);
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    auto file = archive->get_file(1);
    ASSERT_FALSE(file.has_value());
    EXPECT_EQ(file.error().display(), "IO error: failed to fill whole buffer");
  }
}

TEST_F(FileChainTest, EmptyEntriesReadNothing) {
  ArchiveImage image(kBlock);
  auto archive = open_with(
      image, {make_entry(1, 0, 0), make_entry(2, 0, 0, 1), make_entry(3, 0x7FFFFFF0, 0, 1)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  for (std::uint32_t id : {1u, 2u, 3u}) {
    auto bytes = archive->get_file(id);
    ASSERT_TRUE(bytes.has_value()) << bytes.error().display();
    EXPECT_TRUE(bytes->empty());
  }
}

TEST_F(FileChainTest, CompressedEntriesAreExpanded) {
  ArchiveImage image(kBlock);
  Bytes text;
  for (int i = 0; i < 400; ++i) {
    text.push_back(static_cast<std::uint8_t>("scenery "[i % 8] + i / 50));
  }
  const DatFileEntry packed = image.append_file(1, text, true);
  // Declared length 10, but the stream yields only "ab".
  const Bytes short_stream = {10, 0, 0, 0, 0x00, 'a', 'b'};
  const std::uint32_t short_at = image.append_chain(short_stream);
  auto archive = open_with(image, {packed, make_entry(2, short_at, 7, 0x3)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_LT(packed.size, text.size());
  EXPECT_EQ(archive->get_file(1).value(), text);
  EXPECT_EQ(archive->get_file(2).value(), (Bytes{'a', 'b'}));
  // The stored bytes stay available as they are.
  EXPECT_EQ(archive->read_file_data(packed.offset, packed.size).value(), write::compress_lrs(text));
}

TEST_F(FileChainTest, SizeBeyondTheArchiveIsRefusedBeforeReading) {
  ArchiveImage image(kBlock);
  // A block pointing at itself could deliver any amount of bytes.
  const std::uint32_t loop = image.append_block(0, {});
  image.patch_u32(loop, loop);
  auto archive = open_with(image, {make_entry(1, loop, 0xFFFFFFF0), make_entry(2, loop, 5000)});
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  for (std::uint32_t id : {1u, 2u}) {
    auto bytes = archive->get_file(id);
    ASSERT_FALSE(bytes.has_value());
    EXPECT_EQ(bytes.error().display(), "IO error: failed to fill whole buffer");
  }
  // Within the archive's length the cycle is simply followed until the size is gathered.
  auto small = archive->read_file_data(loop, 3 * kPayload);
  ASSERT_TRUE(small.has_value());
  EXPECT_EQ(small->size(), 3 * kPayload);
}

TEST_F(DatDatabaseTest, MovedArchiveKeepsItsFileAndIndex) {
  std::vector<write::ArchiveFile> files(1);
  files[0].id = 0x13000000;
  files[0].bytes = pattern(1000, 9);
  auto opened = open_bytes(write::write_archive(files, kBlock).bytes);
  ASSERT_TRUE(opened.has_value());
  DatDatabase moved = std::move(*opened);
  DatDatabase assigned = std::move(moved);
  EXPECT_EQ(assigned.get_file(0x13000000).value(), files[0].bytes);
}

}  // namespace
}  // namespace ostrevane::dat
