#include "write/archive_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "write/byte_writer.h"
#include "write/lrs_compressor.h"

namespace ostrevane::write {

namespace {

constexpr std::uint32_t kHeaderOffset = 320;
constexpr std::uint32_t kHeaderEnd = 400;

void store_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4, 0);
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

void encode_entry(ByteWriter& out, const dat::DatFileEntry& entry) {
  out.u32(entry.bit_flags);
  out.u32(entry.id);
  out.u32(entry.offset);
  out.u32(entry.size);
  out.u32(entry.timestamp);
  out.u32(entry.version);
}

std::vector<std::uint8_t> encode_header(const dat::DatHeader& h) {
  ByteWriter out;
  for (std::uint32_t v : {h.magic, h.block_size, h.file_size, h.dataset, h.subset, h.free_head,
                          h.free_tail, h.free_count, h.root_offset, h.new_lru, h.old_lru, h.use_lru,
                          h.master_map_id, h.engine_version, h.game_version}) {
    out.u32(v);
  }
  out.raw(std::span<const std::uint8_t>(h.version_string));
  out.u32(h.version_minor);
  return out.take();
}

// Entries a subtree of `height` levels holds at most: 62^height - 1.
std::uint64_t subtree_capacity(int height) {
  std::uint64_t capacity = 1;
  for (int i = 0; i < height; ++i) capacity *= kNodeBranches;
  return capacity - 1;
}

// Writes the B-tree over `entries` (sorted by id) below a node whose offset goes to
// `order[slot]`; children first, so every branch offset is known when its parent is written.
std::uint32_t write_subtree(ArchiveImage& image, std::span<const dat::DatFileEntry> entries,
                            std::vector<std::uint32_t>& order) {
  const std::size_t slot = order.size();
  order.push_back(0);
  DirectoryNode node;
  const std::size_t n = entries.size();
  if (n <= kNodeEntrySlots) {
    node.entries.assign(entries.begin(), entries.end());
  } else {
    int height = 1;
    while (subtree_capacity(height) < n) ++height;
    // As few children as the lower levels can hold, the entries spread evenly between them.
    const std::uint64_t child_capacity = subtree_capacity(height - 1);
    const std::size_t children =
        std::max<std::size_t>(2, (n + 1 + child_capacity) / (child_capacity + 1));
    const std::size_t below = n - (children - 1);
    std::size_t at = 0;
    for (std::size_t c = 0; c < children; ++c) {
      const std::size_t count = below / children + (c < below % children ? 1 : 0);
      node.branches[c] = write_subtree(image, entries.subspan(at, count), order);
      at += count;
      if (c + 1 < children) node.entries.push_back(entries[at++]);
    }
  }
  node.entry_count = static_cast<std::uint32_t>(node.entries.size());
  const std::uint32_t offset = image.append_node(node);
  order[slot] = offset;
  return offset;
}

}  // namespace

std::vector<std::uint8_t> encode_node(const DirectoryNode& node) {
  ByteWriter out;
  for (std::uint32_t branch : node.branches) out.u32(branch);
  out.u32(node.entry_count);
  const std::size_t stored = std::min(node.entries.size(), kNodeEntrySlots);
  for (std::size_t k = 0; k < stored; ++k) encode_entry(out, node.entries[k]);
  out.zeros(kDirectoryNodeSize - out.size());
  return out.take();
}

ArchiveImage::ArchiveImage(std::uint32_t block_size) : block_size_(block_size) {
  if (block_size <= 4) throw std::invalid_argument("a block needs room for data after its pointer");
  header_.magic = kDefaultMagic;
  header_.block_size = block_size;
  constexpr char kVersion[] = "ostrevane-write";
  std::memcpy(header_.version_string.data(), kVersion, sizeof kVersion - 1);
  const std::uint64_t first_block = (kHeaderEnd + block_size - 1) / block_size * block_size;
  bytes_.assign(static_cast<std::size_t>(first_block), 0);
}

std::uint32_t ArchiveImage::append_block(std::uint32_t next,
                                         std::span<const std::uint8_t> payload) {
  const std::uint32_t offset = next_offset();
  const std::size_t stored = std::max<std::size_t>(payload.size(), payload_size());
  bytes_.resize(bytes_.size() + 4 + stored, 0);
  std::memcpy(bytes_.data() + offset, &next, sizeof next);
  if (!payload.empty()) std::memcpy(bytes_.data() + offset + 4, payload.data(), payload.size());
  return offset;
}

std::uint32_t ArchiveImage::append_chain(std::span<const std::uint8_t> data) {
  const std::uint32_t first = next_offset();
  const std::size_t blocks =
      std::max<std::size_t>(1, (data.size() + payload_size() - 1) / payload_size());
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t from = b * payload_size();
    const std::size_t count = std::min<std::size_t>(payload_size(), data.size() - from);
    const std::uint32_t next = b + 1 < blocks ? next_offset() + block_size_ : 0;
    append_block(next, data.subspan(from, count));
  }
  return first;
}

std::uint32_t ArchiveImage::append_node(const DirectoryNode& node) {
  return append_chain(encode_node(node));
}

dat::DatFileEntry ArchiveImage::append_file(std::uint32_t id, std::span<const std::uint8_t> bytes,
                                            bool compress) {
  dat::DatFileEntry entry;
  entry.id = id;
  std::vector<std::uint8_t> packed;
  if (compress) {
    packed = compress_lrs(bytes);
    bytes = packed;
    entry.bit_flags |= 1;
  }
  entry.size = static_cast<std::uint32_t>(bytes.size());
  entry.offset = bytes.empty() ? 0 : append_chain(bytes);
  return entry;
}

void ArchiveImage::patch_u32(std::uint32_t offset, std::uint32_t value) {
  store_u32(bytes_, offset, value);
}

std::vector<std::uint8_t> ArchiveImage::finish() {
  header_.file_size = next_offset();
  const std::vector<std::uint8_t> header = encode_header(header_);
  std::memcpy(bytes_.data() + kHeaderOffset, header.data(), header.size());
  return bytes_;
}

WrittenArchive write_archive(std::vector<ArchiveFile> files, std::uint32_t block_size) {
  ArchiveImage image(block_size);

  // One file per id, the last given winning; data chains in id order.
  std::stable_sort(files.begin(), files.end(),
                   [](const ArchiveFile& a, const ArchiveFile& b) { return a.id < b.id; });
  std::vector<dat::DatFileEntry> entries;
  entries.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i + 1 < files.size() && files[i + 1].id == files[i].id) continue;
    const ArchiveFile& file = files[i];
    dat::DatFileEntry entry = image.append_file(file.id, file.bytes, file.compress);
    entry.timestamp = file.timestamp;
    entry.version = file.version;
    entries.push_back(entry);
  }

  WrittenArchive result;
  if (!entries.empty()) {
    image.header().root_offset = write_subtree(image, entries, result.node_offsets);
  }
  result.bytes = image.finish();
  return result;
}

std::expected<void, dat::IoError> save_file(const std::filesystem::path& path,
                                            std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::unexpected(dat::IoError::from_errno(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      ::close(fd);
      return std::unexpected(dat::IoError::from_errno(code));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) return std::unexpected(dat::IoError::from_errno(errno));
  return {};
}

}  // namespace ostrevane::write
