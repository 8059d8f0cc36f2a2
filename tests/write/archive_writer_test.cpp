#include "write/archive_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "dat/dat_database.h"
#include "test_support.h"

namespace ostrevane::write {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t u32_at(const Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

std::vector<ArchiveFile> numbered_files(std::uint32_t count, std::uint32_t stride) {
  std::vector<ArchiveFile> files(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    files[i].id = 0x02000000u + i * stride;
    files[i].bytes = Bytes(i % 5, static_cast<std::uint8_t>(i));
  }
  return files;
}

TEST(ArchiveWriter, HeaderAndBlockChainLayout) {
  ArchiveImage image(64);
  Bytes data(150);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  const std::uint32_t first = image.append_chain(data);
  image.header().root_offset = 0x1234;
  const Bytes bytes = image.finish();

  EXPECT_EQ(first, 448u);  // the first multiple of 64 at or after byte 400
  ASSERT_EQ(bytes.size(), 448u + 3 * 64);
  EXPECT_EQ(u32_at(bytes, 320), kDefaultMagic);
  EXPECT_EQ(u32_at(bytes, 324), 64u);           // block_size
  EXPECT_EQ(u32_at(bytes, 328), bytes.size());  // file_size
  EXPECT_EQ(u32_at(bytes, 352), 0x1234u);       // root_offset
  EXPECT_EQ(std::memcmp(bytes.data() + 380, "ostrevane-write", 15), 0);
  EXPECT_EQ(u32_at(bytes, 448), 448u + 64);        // block 0 -> block 1
  EXPECT_EQ(u32_at(bytes, 448 + 64), 448u + 128);  // block 1 -> block 2
  EXPECT_EQ(u32_at(bytes, 448 + 128), 0u);         // last block
  EXPECT_EQ(bytes[448 + 4], 0);
  EXPECT_EQ(bytes[448 + 64 + 4], 60);         // payload of 60 per block
  EXPECT_EQ(bytes[448 + 128 + 4 + 29], 149);  // last data byte
  EXPECT_EQ(bytes[448 + 128 + 4 + 30], 0);    // zero padding
  EXPECT_EQ(image.chain_block(first, 2), 448u + 128);
}

TEST(ArchiveWriter, RejectsABlockWithoutRoomForData) {
  EXPECT_THROW(ArchiveImage(4), std::invalid_argument);
  EXPECT_NO_THROW(ArchiveImage(5));
}

TEST(ArchiveWriter, NodeEncodingStoresWhatItIsGiven) {
  DirectoryNode node;
  node.branches[0] = 0x11;
  node.branches[61] = 0x22;
  node.entry_count = 62;
  for (std::uint32_t k = 0; k < 63; ++k) node.entries.push_back({k, 100 + k, 2, 3, 4, 5});
  const Bytes bytes = encode_node(node);
  ASSERT_EQ(bytes.size(), kDirectoryNodeSize);
  EXPECT_EQ(u32_at(bytes, 0), 0x11u);
  EXPECT_EQ(u32_at(bytes, 244), 0x22u);
  EXPECT_EQ(u32_at(bytes, 248), 62u);
  EXPECT_EQ(u32_at(bytes, 252), 0u);                  // bit_flags of entry 0
  EXPECT_EQ(u32_at(bytes, 256), 100u);                // id of entry 0
  EXPECT_EQ(u32_at(bytes, 252 + 24 * 60 + 4), 160u);  // the 61st entry is the last stored
  EXPECT_EQ(u32_at(bytes, 252 + 24 * 60 + 20), 5u);   // its version, the node's last bytes
}

// The directory of a written archive, checked node by node through the reader's chain reads:
// every internal node with k entries has children in slots 0..k and none after, the ids come out
// in order, and all leaves lie at one depth.
struct TreeCheck {
  const dat::DatDatabase& archive;
  std::vector<std::uint32_t> in_order;
  std::vector<std::uint32_t> visited;
  int leaf_depth = -1;
  int max_entries_in_leaf = 0;

  void walk(std::uint32_t offset, int depth) {
    visited.push_back(offset);
    const Bytes node = archive.read_file_data(offset, kDirectoryNodeSize).value();
    const std::uint32_t count = u32_at(node, 248);
    ASSERT_LE(count, 61u);
    auto id = [&](std::uint32_t k) { return u32_at(node, 252 + 24 * k + 4); };
    if (u32_at(node, 0) == 0) {
      if (leaf_depth < 0) leaf_depth = depth;
      EXPECT_EQ(depth, leaf_depth);
      max_entries_in_leaf = std::max<int>(max_entries_in_leaf, static_cast<int>(count));
      for (std::uint32_t k = 0; k < count; ++k) in_order.push_back(id(k));
      return;
    }
    for (std::uint32_t j = 0; j < 62; ++j) {
      const std::uint32_t branch = u32_at(node, 4 * j);
      EXPECT_EQ(branch != 0, j <= count) << "slot " << j;
      if (j > count || branch == 0) continue;
      walk(branch, depth + 1);
      if (j < count) in_order.push_back(id(j));
    }
  }
};

TEST(ArchiveWriter, DirectoryIsABalancedTreeInIdOrder) {
  testing::TempDir dir;
  for (std::uint32_t count : {0u, 1u, 61u, 62u, 123u, 3844u, 5000u}) {
    SCOPED_TRACE(count);
    const WrittenArchive written = write_archive(numbered_files(count, 3), 256);
    auto archive = dat::DatDatabase::open(dir.write("tree.dat", written.bytes));
    ASSERT_TRUE(archive.has_value()) << archive.error().display();
    ASSERT_EQ(archive->entries().size(), count);
    if (count == 0) {
      EXPECT_EQ(archive->header().root_offset, 0u);
      EXPECT_TRUE(written.node_offsets.empty());
      continue;
    }
    TreeCheck check{*archive, {}, {}};
    check.walk(archive->header().root_offset, 1);
    std::vector<std::uint32_t> ids;
    for (const dat::DatFileEntry& e : archive->entries()) ids.push_back(e.id);
    EXPECT_EQ(check.in_order, ids);
    EXPECT_EQ(check.visited, written.node_offsets);  // listed in walk order
    const int levels = count <= 61 ? 1 : count <= 3843 ? 2 : 3;
    EXPECT_EQ(check.leaf_depth, levels);
    EXPECT_GE(check.max_entries_in_leaf, count <= 61 ? static_cast<int>(count) : 30);
  }
}

TEST(ArchiveWriter, OutputIsDeterministicAndKeepsTheLastFileOfAnId) {
  std::vector<ArchiveFile> files = numbered_files(200, 1);
  ArchiveFile again;
  again.id = files[10].id;
  again.bytes = {'n', 'e', 'w'};
  again.compress = true;
  files.push_back(again);
  const WrittenArchive first = write_archive(files, 512);
  EXPECT_EQ(write_archive(files, 512).bytes, first.bytes);

  testing::TempDir dir;
  auto archive = dat::DatDatabase::open(dir.write("dup.dat", first.bytes));
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  EXPECT_EQ(archive->entries().size(), 200u);
  EXPECT_EQ(archive->get_file(again.id).value(), again.bytes);
  EXPECT_TRUE(archive->find(again.id)->compressed());
}

TEST(ArchiveWriter, WritesAWholeWorldOfCells) {
  // About as many entries as a full world's cell archive.
  const std::vector<ArchiveFile> files = numbered_files(130000, 0x8000);
  const WrittenArchive written = write_archive(files, 1024);
  testing::TempDir dir;
  auto archive = dat::DatDatabase::open(dir.write("cells.dat", written.bytes));
  ASSERT_TRUE(archive.has_value()) << archive.error().display();
  ASSERT_EQ(archive->entries().size(), files.size());
  for (std::size_t i : {0u, 1u, 64999u, 129999u}) {
    EXPECT_EQ(archive->get_file(files[i].id).value(), files[i].bytes);
  }
}

TEST(ArchiveWriter, SaveFileReportsTheOperatingSystemError) {
  testing::TempDir dir;
  const Bytes bytes = {1, 2, 3};
  ASSERT_TRUE(save_file(dir.path() / "out.dat", bytes).has_value());
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "out.dat"), 3u);
  auto failed = save_file(dir.path() / "missing" / "out.dat", bytes);
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().text(), "No such file or directory (os error 2)");
}

}  // namespace
}  // namespace ostrevane::write
