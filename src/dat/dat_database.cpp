#include "dat/dat_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
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

// A set of non-zero offsets: open addressing in one table, so that a walk of thousands of nodes
// makes a handful of allocations.
class OffsetSet {
 public:
  // False when `offset` was in the set already.
  bool insert(std::uint32_t offset) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash(offset) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == offset) return false;
      if (slots_[i] == 0) {
        slots_[i] = offset;
        ++size_;
        return true;
      }
    }
  }
  std::size_t size() const noexcept { return size_; }

 private:
  static std::size_t hash(std::uint32_t offset) noexcept {
    return static_cast<std::size_t>((std::uint64_t{offset} * 0x9E3779B97F4A7C15u) >> 32);
  }
  void grow() {
    std::vector<std::uint32_t> old(std::max<std::size_t>(64, slots_.size() * 2), 0);
    old.swap(slots_);
    size_ = 0;
    for (const std::uint32_t offset : old) {
      if (offset != 0) insert(offset);
    }
  }

  std::vector<std::uint32_t> slots_;
  std::size_t size_ = 0;
};

}  // namespace

// The walk of the directory tree, pre-order as the rules say: a node's own entries, then its
// children left to right, a later entry of an id replacing an earlier one. A node is read at most
// once, so a damaged tree cannot make the walk loop or multiply its work.
//
// The entries are written out in in-order (child 0, entry 0, child 1, entry 1, ...) while their
// node is at hand. For a well-formed directory that order has ascending ids, each id once, and
// the output is the index as it stands. Otherwise the runs recorded on the way give every
// entry's pre-order position, and the index is sorted from that.
struct DatDatabase::Walk {
  // Consecutive in-order entries that are also consecutive in pre-order: a leaf, or one entry of
  // an inner node.
  struct Run {
    std::uint32_t in_order;
    std::uint32_t pre_order;
    std::uint32_t count;
  };

  TrivialArray<DatFileEntry> out;  // the entries in in-order
  std::uint32_t read = 0;          // entries met so far in pre-order
  std::uint64_t next_id = 0;       // the least id that keeps the output ascending
  bool ascending = true;
  std::vector<Run> runs;
  std::vector<std::uint32_t> path;  // the nodes above the one being read
  OffsetSet visited;
  std::vector<std::vector<std::uint8_t>> nodes;  // one node buffer per level

  Walk() { nodes.reserve(kMaxDirectoryDepth); }

  // Writes `count` entries stored as in a node, the first at pre-order position `pre_order`.
  std::expected<void, DatError> emit(const std::uint8_t* slots, std::uint32_t count,
                                     std::uint32_t pre_order) {
    // Six little-endian u32 per slot: the entry's own layout.
    static_assert(sizeof(DatFileEntry) == kEntrySize && std::is_trivially_copyable_v<DatFileEntry>);
    static_assert(offsetof(DatFileEntry, id) == 4 && offsetof(DatFileEntry, version) == 20);
    if (count == 0) return {};
    for (std::uint32_t k = 0; k < count && ascending; ++k) {
      std::uint32_t id = 0;
      std::memcpy(&id, slots + kEntrySize * k + offsetof(DatFileEntry, id), sizeof id);
      ascending = id >= next_id;
      next_id = std::uint64_t{id} + 1;
    }
    runs.push_back({static_cast<std::uint32_t>(out.size()), pre_order, count});
    if (!out.append_bytes(slots, count)) {
      return std::unexpected(DatError::io(IoError::from_errno(ENOMEM)));
    }
    return {};
  }

  // The index: every id once, sorted, the entry met last in pre-order.
  std::expected<TrivialArray<DatFileEntry>, DatError> index() &&;
};

std::expected<TrivialArray<DatFileEntry>, DatError> DatDatabase::Walk::index() && {
  if (ascending) {
    out.trim();
    return std::move(out);
  }
  const std::size_t n = out.size();
  // Keys of 8 bytes: the id above the pre-order position. A stable LSD radix sort on the id's
  // digits keeps equal ids in pre-order, the last of them being the one that stays.
  std::vector<std::uint64_t> keys(n);
  std::vector<std::uint32_t> in_order_of(n);  // by pre-order position
  for (const Run& run : runs) {
    for (std::uint32_t k = 0; k < run.count; ++k) {
      keys[run.pre_order + k] = std::uint64_t{out[run.in_order + k].id} << 32 | (run.pre_order + k);
      in_order_of[run.pre_order + k] = run.in_order + k;
    }
  }
  std::vector<std::uint64_t> scratch(n);
  constexpr int kShifts[] = {32, 43, 54};  // digits of 11, 11 and 10 bits
  constexpr std::size_t kBuckets = 2048;
  std::vector<std::size_t> counts(3 * kBuckets, 0);
  for (const std::uint64_t key : keys) {
    for (int d = 0; d < 3; ++d) ++counts[d * kBuckets + (key >> kShifts[d] & (kBuckets - 1))];
  }
  for (int d = 0; d < 3; ++d) {
    std::size_t* bucket = counts.data() + d * kBuckets;
    // A digit that every id shares leaves the order as it is.
    if (std::find(bucket, bucket + kBuckets, n) != bucket + kBuckets) continue;
    std::size_t sum = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) sum += std::exchange(bucket[b], sum);
    for (const std::uint64_t key : keys) {
      scratch[bucket[key >> kShifts[d] & (kBuckets - 1)]++] = key;
    }
    keys.swap(scratch);
  }

  std::size_t unique = 0;
  for (std::size_t i = 0; i < n; ++i) unique += i + 1 == n || keys[i + 1] >> 32 != keys[i] >> 32;
  TrivialArray<DatFileEntry> index;
  if (!index.reserve(unique)) return std::unexpected(DatError::io(IoError::from_errno(ENOMEM)));
  for (std::size_t i = 0; i < n; ++i) {
    if (i + 1 < n && keys[i + 1] >> 32 == keys[i] >> 32) continue;
    const DatFileEntry& entry = out[in_order_of[static_cast<std::uint32_t>(keys[i])]];
    (void)index.append_bytes(&entry, 1);  // the room is reserved
  }
  return index;
}

std::expected<void, DatError> DatDatabase::read_node(Walk& walk, std::uint32_t node_offset) const {
  if (node_offset == 0) return {};
  if (std::find(walk.path.begin(), walk.path.end(), node_offset) != walk.path.end()) {
    return std::unexpected(DatError::corruption("directory node at offset 0x" +
                                                hex_upper(node_offset, 8) +
                                                " leads back to one of its ancestors"));
  }
  if (!walk.visited.insert(node_offset)) {
    return std::unexpected(DatError::corruption("directory node at offset 0x" +
                                                hex_upper(node_offset, 8) + " is reached twice"));
  }
  const std::size_t depth = walk.path.size();
  if (depth == kMaxDirectoryDepth) {
    return std::unexpected(
        DatError::corruption("directory deeper than " + std::to_string(kMaxDirectoryDepth) +
                             " levels at node offset 0x" + hex_upper(node_offset, 8)));
  }

  // This level's buffer stays intact while the levels below use theirs; the list never outgrows
  // its reservation, so no buffer moves.
  if (walk.nodes.size() == depth) walk.nodes.emplace_back(kNodeSize);
  std::vector<std::uint8_t>& buffer = walk.nodes[depth];
  OSTREVANE_TRY_VOID(check_chain_size(kNodeSize));
  OSTREVANE_TRY_VOID(read_chain(node_offset, buffer));
  // Nodes of a real tree do not share bytes, so the file bounds how many there are, and with
  // them the work and the index of the walk.
  if (walk.visited.size() * std::uint64_t{kNodeSize} > file_length_) {
    return std::unexpected(DatError::corruption(
        "directory has more nodes than the file has room for at node offset 0x" +
        hex_upper(node_offset, 8)));
  }
  const std::uint8_t* node = buffer.data();
  std::uint32_t branches[kBranchCount];
  std::memcpy(branches, node, sizeof branches);
  std::uint32_t entry_count = 0;
  std::memcpy(&entry_count, node + kEntryCountOffset, sizeof entry_count);

  // The count is not checked up front: a count above 61 runs off the node's end in slot 61,
  // whose first field fails with its frame.
  ByteCursor cursor(buffer);
  for (std::size_t k = kEntrySlots; k < entry_count; ++k) {
    cursor.set_position(kEntriesOffset + kEntrySize * k);
    auto entry = read_entry(cursor);
    if (!entry) return std::unexpected(DatError::bin_read(std::move(entry).error()));
  }
  const auto in_node = static_cast<std::uint32_t>(std::min<std::size_t>(entry_count, kEntrySlots));
  const std::uint32_t pre_order = walk.read;
  walk.read += in_node;
  const std::uint8_t* slots = node + kEntriesOffset;

  // Slot 0 empty makes a leaf; otherwise slots 0..entry_count, never past the last slot.
  if (branches[0] == 0) return walk.emit(slots, in_node, pre_order);
  walk.path.push_back(node_offset);
  for (std::uint32_t j = 0; j <= in_node; ++j) {
    if (branches[j] != 0) {
      OSTREVANE_TRY_VOID(read_node(walk, branches[j]));
    }
    if (j < in_node) {
      OSTREVANE_TRY_VOID(walk.emit(slots + kEntrySize * j, 1, pre_order + j));
    }
  }
  walk.path.pop_back();
  return {};
}

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
    return std::unexpected(DatError::bin_read(ParseError::read_failed(IoError::from_errno(errno))));
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
  Walk walk;
  OSTREVANE_TRY_VOID(archive.read_node(walk, archive.header_.root_offset));
  OSTREVANE_TRY(archive.entries_, std::move(walk).index());
  return archive;
}

const DatFileEntry* DatDatabase::find(std::uint32_t id) const noexcept {
  const std::span<const DatFileEntry> all = entries();
  auto it = std::lower_bound(all.begin(), all.end(), id,
                             [](const DatFileEntry& e, std::uint32_t key) { return e.id < key; });
  return it != all.end() && it->id == id ? &*it : nullptr;
}

std::expected<void, DatError> DatDatabase::check_chain_size(std::uint64_t size) const {
  if (header_.block_size <= 4) return std::unexpected(block_size_error(header_.block_size));
  // Distinct blocks cannot hold more than the file; only a chain that revisits its blocks could
  // deliver more, so such a size ends as the short read it would become.
  if (size > file_length_) return std::unexpected(DatError::io(IoError::unexpected_eof()));
  return {};
}

std::expected<void, DatError> DatDatabase::read_chain(std::uint32_t offset,
                                                      std::span<std::uint8_t> out) const {
  const std::uint32_t payload = header_.block_size - 4;
  std::size_t remaining = out.size();
  std::uint8_t* write = out.data();
  std::uint32_t block = offset;
  while (remaining > 0) {
    std::uint8_t pointer[4];
    if (auto r = read_exact_at(fd_, pointer, sizeof pointer, block); !r) {
      return std::unexpected(DatError::io(std::move(r).error()));
    }
    std::uint32_t next = 0;
    std::memcpy(&next, pointer, sizeof next);
    // The payload offset is 32-bit, as every offset of the archive.
    const std::uint32_t data_offset = block + 4;
    // The last block delivers everything still missing in one run, whatever its size.
    const std::size_t n = next == 0 ? remaining : std::min<std::size_t>(payload, remaining);
    if (auto r = read_exact_at(fd_, write, n, data_offset); !r) {
      return std::unexpected(DatError::io(std::move(r).error()));
    }
    remaining -= n;
    write += n;
    block = next;
  }
  return {};
}

std::expected<std::vector<std::uint8_t>, DatError> DatDatabase::read_file_data(
    std::uint32_t offset, std::uint32_t size) const {
  if (size == 0) return std::vector<std::uint8_t>{};
  OSTREVANE_TRY_VOID(check_chain_size(size));
  std::vector<std::uint8_t> out(size);
  OSTREVANE_TRY_VOID(read_chain(offset, out));
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
