// Writes archives in the layout DatDatabase reads: 320 leading bytes, the 80-byte header, file
// data and directory nodes as chains of fixed-size blocks (each block a u32 next-block offset,
// 0 in the last, then block_size - 4 bytes of payload).
//
// Two levels: write_archive lays out a well-formed archive from a list of files, with the
// directory as a B-tree of 1716-byte nodes; ArchiveImage builds an archive block by block so that
// tests can make every kind of odd or damaged archive. Output is deterministic.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <vector>

#include "dat/dat_database.h"
#include "dat/error.h"

namespace ostrevane::write {

inline constexpr std::uint32_t kDirectoryNodeSize = 1716;
inline constexpr std::size_t kNodeBranches = 62;
inline constexpr std::size_t kNodeEntrySlots = 61;
inline constexpr std::uint32_t kDefaultMagic = 0x5654534F;  // "OSTV"

// One directory node exactly as it is to be stored; nothing is checked, so a node may hold an
// entry count that disagrees with its entries, or branches that lead anywhere.
struct DirectoryNode {
  std::array<std::uint32_t, kNodeBranches> branches{};  // slot 0 empty: a leaf
  std::uint32_t entry_count = 0;
  std::vector<dat::DatFileEntry> entries;  // the first 61 are stored, the other slots are zero
};

// The 1716 bytes of a node.
std::vector<std::uint8_t> encode_node(const DirectoryNode& node);

// An archive under construction. Everything is appended at the end in whole blocks, so the
// offset of the next block is always next_offset().
class ArchiveImage {
 public:
  // The header at 320 is zero but for the block size and a sensible magic and version string;
  // the first block starts at the first multiple of `block_size` at or after byte 400.
  // `block_size` must exceed 4 (throws std::invalid_argument otherwise); to store a smaller
  // block size, change header() afterwards.
  explicit ArchiveImage(std::uint32_t block_size);

  dat::DatHeader& header() noexcept { return header_; }
  const dat::DatHeader& header() const noexcept { return header_; }
  std::uint32_t block_size() const noexcept { return block_size_; }
  std::uint32_t payload_size() const noexcept { return block_size_ - 4; }
  std::uint32_t next_offset() const noexcept { return static_cast<std::uint32_t>(bytes_.size()); }
  std::vector<std::uint8_t>& bytes() noexcept { return bytes_; }

  // One block: `next`, then `payload` zero-padded to the block's payload size. A longer payload
  // is stored whole, so the block runs into the space of the blocks after it. Returns its offset.
  std::uint32_t append_block(std::uint32_t next, std::span<const std::uint8_t> payload);
  // `data` as a chain of consecutive blocks, the last pointing at 0. Returns the first block's
  // offset; empty data still takes one block.
  std::uint32_t append_chain(std::span<const std::uint8_t> data);
  // A node as a chain; returns its offset.
  std::uint32_t append_node(const DirectoryNode& node);
  // A file's bytes as a chain (compressed first when asked) and the entry that describes it;
  // empty stored bytes take no block and get offset 0.
  dat::DatFileEntry append_file(std::uint32_t id, std::span<const std::uint8_t> bytes,
                                bool compress = false);
  // Overwrites 4 bytes at `offset`, growing the image when needed: redirects a block pointer.
  void patch_u32(std::uint32_t offset, std::uint32_t value);
  // The offset of block `index` of a chain written by append_chain or append_node at `first`.
  std::uint32_t chain_block(std::uint32_t first, std::uint32_t index) const noexcept {
    return first + index * block_size_;
  }

  // The archive's bytes: file_size set to the length, the header written at 320.
  std::vector<std::uint8_t> finish();

 private:
  std::uint32_t block_size_;
  dat::DatHeader header_;
  std::vector<std::uint8_t> bytes_;
};

// One file of a well-formed archive.
struct ArchiveFile {
  std::uint32_t id = 0;
  std::vector<std::uint8_t> bytes;
  bool compress = false;  // store in the compressed form, flagged in bit 0
  std::uint32_t timestamp = 0;
  std::uint32_t version = 0;
};

struct WrittenArchive {
  std::vector<std::uint8_t> bytes;
  // Offsets of every directory node in the order the reader walks them (pre-order).
  std::vector<std::uint32_t> node_offsets;
};

// A well-formed archive holding `files`: data chains in id order, then the directory as a
// B-tree (a node with k entries has k + 1 children in slots 0..k, entries in id order, as few
// levels as 61 entries per node allow, entries spread evenly over the children, children written
// before their parents). Of several files with one id the last is kept. `block_size` must
// exceed 4.
WrittenArchive write_archive(std::vector<ArchiveFile> files, std::uint32_t block_size = 1024);

// Writes `bytes` to `path`, replacing any file there.
std::expected<void, dat::IoError> save_file(const std::filesystem::path& path,
                                            std::span<const std::uint8_t> bytes);

}  // namespace ostrevane::write
