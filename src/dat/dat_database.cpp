#include "dat/dat_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_set>
#include <utility>

#include "dat/byte_cursor.h"
#include "dat/lrs.h"
#include "dat/strings.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

// A directory node: 62 branch offsets, the entry count and 61 entry slots of 24 bytes.
constexpr std::uint32_t kNodeSize = 1716;
constexpr std::size_t kBranchCount = 62;
constexpr std::size_t kEntrySlots = 61;
constexpr std::size_t kEntryCountOffset = 248;
constexpr std::size_t kEntriesOffset = 252;
constexpr std::size_t kEntrySize = 24;
// A real tree is a handful of levels deep; anything deeper is damage, not data.
constexpr std::size_t kMaxDirectoryDepth = 64;

// Closes the descriptor unless released: a failed opening leaves nothing open.
class FdGuard {
 public:
  explicit FdGuard(int fd) noexcept : fd_(fd) {}
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  ~FdGuard() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const noexcept { return fd_; }
  int release() noexcept { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

enum class ShortRead { kScalar, kByteRun };

// Reads exactly `count` bytes at the current file position (the header only). Partial reads are
// continued and interrupted ones repeated.
std::expected<void, ParseError> read_at_position(int fd, std::uint8_t* out, std::size_t count,
                                                 ShortRead short_kind) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, out + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ParseError::read_failed(IoError::from_errno(errno)));
    }
    if (n == 0) {
      return std::unexpected(short_kind == ShortRead::kScalar ? ParseError::short_read()
                                                              : ParseError::short_byte_run());
    }
    done += static_cast<std::size_t>(n);
  }
  return {};
}

// Reads exactly `count` bytes at the absolute `offset` without using the file position.
std::expected<void, IoError> read_exact_at(int fd, std::uint8_t* out, std::size_t count,
                                           std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(IoError::from_errno(errno));
    }
    if (n == 0) return std::unexpected(IoError::unexpected_eof());
    done += static_cast<std::size_t>(n);
  }
  return {};
}

// The 17 header fields, read field by field at the file position; a failed field gains its
// frame and the position goes back to the header's start.
std::expected<DatHeader, ParseError> read_header(int fd, off_t start) {
  DatHeader header;
  auto fail = [&](ParseError error, std::string_view field, std::uint32_t line) {
    error.add_frame(field_frame(field, "DatHeader", kLibSource, line));
    // A failed rewind is left unreported: the field's error is the one that matters.
    (void)::lseek(fd, start, SEEK_SET);
    return std::unexpected(std::move(error));
  };
  auto u32 = [&](std::uint32_t& target) -> std::expected<void, ParseError> {
    std::uint8_t bytes[4];
    OSTREVANE_TRY_VOID(read_at_position(fd, bytes, sizeof bytes, ShortRead::kScalar));
    std::memcpy(&target, bytes, sizeof target);
    return {};
  };
#define OSTREVANE_HEADER_U32(field)                                     \
  if (auto r = u32(header.field); !r) {                                 \
    return fail(std::move(r).error(), #field, DatHeader::field##_line); \
  }
  OSTREVANE_HEADER_U32(magic)
  OSTREVANE_HEADER_U32(block_size)
  OSTREVANE_HEADER_U32(file_size)
  OSTREVANE_HEADER_U32(dataset)
  OSTREVANE_HEADER_U32(subset)
  OSTREVANE_HEADER_U32(free_head)
  OSTREVANE_HEADER_U32(free_tail)
  OSTREVANE_HEADER_U32(free_count)
  OSTREVANE_HEADER_U32(root_offset)
  OSTREVANE_HEADER_U32(new_lru)
  OSTREVANE_HEADER_U32(old_lru)
  OSTREVANE_HEADER_U32(use_lru)
  OSTREVANE_HEADER_U32(master_map_id)
  OSTREVANE_HEADER_U32(engine_version)
  OSTREVANE_HEADER_U32(game_version)
  if (auto r = read_at_position(fd, header.version_string.data(), header.version_string.size(),
                                ShortRead::kByteRun);
      !r) {
    return fail(std::move(r).error(), "version_string", DatHeader::version_string_line);
  }
  OSTREVANE_HEADER_U32(version_minor)
#undef OSTREVANE_HEADER_U32
  return header;
}

DatError block_size_error(std::uint32_t block_size) {
  return DatError::corruption("block size " + std::to_string(block_size) +
                              " leaves no room for data");
}

std::expected<DatFileEntry, ParseError> read_entry(ByteCursor& cursor) {
  FieldReader fields(cursor, "DatFileEntry", kLibSource);
  DatFileEntry entry;
  OSTREVANE_TRY(entry.bit_flags, fields.read("bit_flags", DatFileEntry::bit_flags_line, read_u32));
  OSTREVANE_TRY(entry.id, fields.read("id", DatFileEntry::id_line, read_u32));
  OSTREVANE_TRY(entry.offset, fields.read("offset", DatFileEntry::offset_line, read_u32));
  OSTREVANE_TRY(entry.size, fields.read("size", DatFileEntry::size_line, read_u32));
  OSTREVANE_TRY(entry.timestamp, fields.read("timestamp", DatFileEntry::timestamp_line, read_u32));
  OSTREVANE_TRY(entry.version, fields.read("version", DatFileEntry::version_line, read_u32));
  return entry;
}

// The pre-order walk of the directory tree: a node's own entries, then its children left to
// right. Entries are collected in walk order; a node is read at most once, so a damaged tree
// cannot make the walk loop or multiply its work, and no more nodes are read than the archive
// could hold apart, so the entries stay within a fraction of its size.
class DirectoryWalk {
 public:
  DirectoryWalk(const DatDatabase& archive, std::uint64_t file_length,
                std::vector<DatFileEntry>& entries)
      : archive_(archive), file_length_(file_length), entries_(entries) {}

  std::expected<void, DatError> read_node(std::uint32_t node_offset) {
    if (node_offset == 0) return {};
    if (std::find(path_.begin(), path_.end(), node_offset) != path_.end()) {
      return std::unexpected(DatError::corruption("directory node at offset 0x" +
                                                  hex_upper(node_offset, 8) +
                                                  " leads back to one of its ancestors"));
    }
    if (!visited_.insert(node_offset).second) {
      return std::unexpected(DatError::corruption(
          "directory node at offset 0x" + hex_upper(node_offset, 8) + " is reached twice"));
    }
    if (path_.size() == kMaxDirectoryDepth) {
      return std::unexpected(DatError::corruption(
          "directory deeper than " + std::to_string(kMaxDirectoryDepth) +
          " levels at node offset 0x" + hex_upper(node_offset, 8)));
    }

    OSTREVANE_TRY(const std::vector<std::uint8_t> node,
                  archive_.read_file_data(node_offset, kNodeSize));
    // The nodes of a real tree are disjoint, so together they fit in the archive. Nodes that
    // share blocks could otherwise list far more entries than the archive holds bytes.
    nodes_read_ += 1;
    if (nodes_read_ * kNodeSize > file_length_) {
      return std::unexpected(DatError::corruption(
          "directory nodes exceed the archive's " + std::to_string(file_length_) +
          " bytes at node offset 0x" + hex_upper(node_offset, 8)));
    }
    std::uint32_t branches[kBranchCount];
    std::memcpy(branches, node.data(), sizeof branches);
    std::uint32_t entry_count = 0;
    std::memcpy(&entry_count, node.data() + kEntryCountOffset, sizeof entry_count);

    // The count is not checked up front: a count above 61 runs off the node's end in slot 61.
    ByteCursor cursor(node);
    for (std::uint32_t k = 0; k < entry_count; ++k) {
      cursor.set_position(kEntriesOffset + kEntrySize * k);
      auto entry = read_entry(cursor);
      if (!entry) return std::unexpected(DatError::bin_read(std::move(entry).error()));
      entries_.push_back(*entry);
    }

    // Slot 0 empty makes a leaf; otherwise slots 0..entry_count, never past the last slot.
    if (branches[0] == 0) return {};
    const std::size_t last = std::min<std::size_t>(entry_count, kEntrySlots);
    path_.push_back(node_offset);
    for (std::size_t j = 0; j <= last; ++j) {
      if (branches[j] == 0) continue;
      OSTREVANE_TRY_VOID(read_node(branches[j]));
    }
    path_.pop_back();
    return {};
  }

 private:
  const DatDatabase& archive_;
  std::uint64_t file_length_;
  std::vector<DatFileEntry>& entries_;
  std::uint64_t nodes_read_ = 0;
  std::vector<std::uint32_t> path_;  // the nodes above the one being read
  std::unordered_set<std::uint32_t> visited_;
};

// Stable LSD radix sort by id, one byte per pass; passes where every id shares the byte are
// skipped.
void sort_by_id(std::vector<DatFileEntry>& entries) {
  std::vector<DatFileEntry> scratch(entries.size());
  for (int shift = 0; shift < 32; shift += 8) {
    std::size_t counts[257] = {};
    for (const DatFileEntry& e : entries) ++counts[((e.id >> shift) & 0xFF) + 1];
    if (std::any_of(counts + 1, counts + 257, [&](std::size_t c) { return c == entries.size(); })) {
      continue;
    }
    for (int b = 0; b < 256; ++b) counts[b + 1] += counts[b];
    for (const DatFileEntry& e : entries) scratch[counts[(e.id >> shift) & 0xFF]++] = e;
    entries.swap(scratch);
  }
}

// Sorts by id and keeps, of every id, the entry met last in the walk: a later insert replaces an
// earlier one.
void build_index(std::vector<DatFileEntry>& entries) {
  sort_by_id(entries);
  std::size_t out = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i + 1 < entries.size() && entries[i + 1].id == entries[i].id) continue;
    entries[out++] = entries[i];
  }
  entries.resize(out);
  entries.shrink_to_fit();
}

}  // namespace

DatDatabase::DatDatabase(int fd, std::uint64_t file_length, DatHeader header)
    : fd_(fd), file_length_(file_length), header_(header) {}

DatDatabase::DatDatabase(DatDatabase&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      file_length_(other.file_length_),
      header_(other.header_),
      entries_(std::move(other.entries_)) {}

DatDatabase& DatDatabase::operator=(DatDatabase&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    file_length_ = other.file_length_;
    header_ = other.header_;
    entries_ = std::move(other.entries_);
  }
  return *this;
}

DatDatabase::~DatDatabase() {
  if (fd_ >= 0) ::close(fd_);
}

std::expected<DatDatabase, DatError> DatDatabase::open(const std::filesystem::path& path) {
  FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    return std::unexpected(DatError::path_error(path.native(), IoError::from_errno(errno)));
  }
  if (::lseek(fd.get(), static_cast<off_t>(DatHeader::kOffset), SEEK_SET) < 0) {
    return std::unexpected(DatError::io(IoError::from_errno(errno)));
  }
  const off_t start = ::lseek(fd.get(), 0, SEEK_CUR);
  if (start < 0) {
    return std::unexpected(
        DatError::bin_read(ParseError::read_failed(IoError::from_errno(errno))));
  }
  auto header = read_header(fd.get(), start);
  if (!header) return std::unexpected(DatError::bin_read(std::move(header).error()));

  // The length bounds what any chain can deliver.
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0) {
    return std::unexpected(DatError::io(IoError::from_errno(errno)));
  }
  // The block size only matters once there is a directory to read.
  if (header->root_offset != 0 && header->block_size <= 4) {
    return std::unexpected(block_size_error(header->block_size));
  }

  DatDatabase archive(fd.release(), static_cast<std::uint64_t>(status.st_size), *header);
  std::vector<DatFileEntry> entries;
  DirectoryWalk walk(archive, archive.file_length_, entries);
  OSTREVANE_TRY_VOID(walk.read_node(archive.header_.root_offset));
  build_index(entries);
  archive.entries_ = std::move(entries);
  return archive;
}

const DatFileEntry* DatDatabase::find(std::uint32_t id) const noexcept {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                             [](const DatFileEntry& e, std::uint32_t key) { return e.id < key; });
  return it != entries_.end() && it->id == id ? &*it : nullptr;
}

std::expected<std::vector<std::uint8_t>, DatError> DatDatabase::read_file_data(
    std::uint32_t offset, std::uint32_t size) const {
  if (size == 0) return std::vector<std::uint8_t>{};
  if (header_.block_size <= 4) return std::unexpected(block_size_error(header_.block_size));
  // Distinct blocks cannot hold more than the file; only a chain that revisits its blocks could
  // deliver more, so such a size ends as the short read it would become.
  if (size > file_length_) return std::unexpected(DatError::io(IoError::unexpected_eof()));

  std::vector<std::uint8_t> out(size);
  const std::uint32_t payload = header_.block_size - 4;
  std::uint32_t remaining = size;
  std::uint32_t written = 0;
  std::uint32_t block = offset;
  while (true) {
    std::uint8_t pointer[4];
    if (auto r = read_exact_at(fd_, pointer, sizeof pointer, block); !r) {
      return std::unexpected(DatError::io(std::move(r).error()));
    }
    std::uint32_t next = 0;
    std::memcpy(&next, pointer, sizeof next);
    // The payload offset is 32-bit, as every offset of the archive.
    const std::uint32_t data_offset = block + 4;
    // The last block delivers everything still missing in one run, whatever its size.
    const std::uint32_t n = next == 0 ? remaining : std::min(payload, remaining);
    if (auto r = read_exact_at(fd_, out.data() + written, n, data_offset); !r) {
      return std::unexpected(DatError::io(std::move(r).error()));
    }
    remaining -= n;
    written += n;
    if (remaining == 0) break;
    block = next;
  }
  return out;
}

std::expected<std::vector<std::uint8_t>, DatError> DatDatabase::get_file(std::uint32_t id) const {
  const DatFileEntry* entry = find(id);
  if (entry == nullptr) return std::unexpected(DatError::not_found(id));
  OSTREVANE_TRY(std::vector<std::uint8_t> stored, read_file_data(entry->offset, entry->size));
  if (!entry->compressed()) return stored;
  return decompress_lrs(stored);
}

}  // namespace ostrevane::dat
