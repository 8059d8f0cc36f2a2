// One opened archive: its header, an index of its directory, and positioned reads of file data.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <vector>

#include "dat/error.h"
#include "dat/field_reader.h"
#include "dat/trivial_array.h"

namespace ostrevane::dat {

// The 80-byte header at byte 320 of an archive. No field is validated.
struct DatHeader {
  static constexpr std::uint64_t kOffset = 320;

  std::uint32_t magic = 0; OSTREVANE_FIELD_LINE(magic);
  std::uint32_t block_size = 0; OSTREVANE_FIELD_LINE(block_size);
  std::uint32_t file_size = 0; OSTREVANE_FIELD_LINE(file_size);
  std::uint32_t dataset = 0; OSTREVANE_FIELD_LINE(dataset);
  std::uint32_t subset = 0; OSTREVANE_FIELD_LINE(subset);
  std::uint32_t free_head = 0; OSTREVANE_FIELD_LINE(free_head);
  std::uint32_t free_tail = 0; OSTREVANE_FIELD_LINE(free_tail);
  std::uint32_t free_count = 0; OSTREVANE_FIELD_LINE(free_count);
  std::uint32_t root_offset = 0; OSTREVANE_FIELD_LINE(root_offset);
  std::uint32_t new_lru = 0; OSTREVANE_FIELD_LINE(new_lru);
  std::uint32_t old_lru = 0; OSTREVANE_FIELD_LINE(old_lru);
  std::uint32_t use_lru = 0; OSTREVANE_FIELD_LINE(use_lru);
  std::uint32_t master_map_id = 0; OSTREVANE_FIELD_LINE(master_map_id);
  std::uint32_t engine_version = 0; OSTREVANE_FIELD_LINE(engine_version);
  std::uint32_t game_version = 0; OSTREVANE_FIELD_LINE(game_version);
  std::array<std::uint8_t, 16> version_string{}; OSTREVANE_FIELD_LINE(version_string);
  std::uint32_t version_minor = 0; OSTREVANE_FIELD_LINE(version_minor);

  friend bool operator==(const DatHeader&, const DatHeader&) = default;
};

// One directory entry, 24 bytes on disk.
struct DatFileEntry {
  std::uint32_t bit_flags = 0; OSTREVANE_FIELD_LINE(bit_flags);  // bit 0: compressed
  std::uint32_t id = 0; OSTREVANE_FIELD_LINE(id);
  std::uint32_t offset = 0; OSTREVANE_FIELD_LINE(offset);  // first block of the data chain
  std::uint32_t size = 0; OSTREVANE_FIELD_LINE(size);      // stored bytes
  std::uint32_t timestamp = 0; OSTREVANE_FIELD_LINE(timestamp);
  std::uint32_t version = 0; OSTREVANE_FIELD_LINE(version);

  bool compressed() const noexcept { return (bit_flags & 1) != 0; }

  friend bool operator==(const DatFileEntry&, const DatFileEntry&) = default;
};

class DatDatabase {
 public:
  // Opens the archive at `path` (used exactly as passed), reads the header and the whole
  // directory into the index. Fails with PathError when the file cannot be opened, BinRead when
  // the header or a directory entry is cut short, Io when a directory block cannot be read, and
  // Corruption for a block size of 4 or less and for a directory that reaches a node twice, runs
  // deeper than any real tree or holds more nodes than the archive has room for.
  static std::expected<DatDatabase, DatError> open(const std::filesystem::path& path);

  DatDatabase(DatDatabase&& other) noexcept;
  DatDatabase& operator=(DatDatabase&& other) noexcept;
  DatDatabase(const DatDatabase&) = delete;
  DatDatabase& operator=(const DatDatabase&) = delete;
  ~DatDatabase();

  const DatHeader& header() const noexcept { return header_; }

  // The entry of `id`, or null. Where the directory lists an id more than once, the entry met
  // last in the pre-order walk.
  const DatFileEntry* find(std::uint32_t id) const noexcept;
  // Every indexed entry, sorted by id.
  std::span<const DatFileEntry> entries() const noexcept { return entries_.span(); }

  // Gathers `size` bytes from the block chain starting at `offset`. Io on a short or failed read;
  // a size beyond the file's length is refused as a short read before anything is read or
  // allocated. Corruption when the block size leaves no room for data.
  std::expected<std::vector<std::uint8_t>, DatError> read_file_data(std::uint32_t offset,
                                                                    std::uint32_t size) const;
  // The bytes of file `id`, decompressed when its entry is flagged. NotFound or Io.
  std::expected<std::vector<std::uint8_t>, DatError> get_file(std::uint32_t id) const;

 private:
  DatDatabase(int fd, std::uint64_t file_length, DatHeader header);

  // The state of the directory walk of open.
  struct Walk;
  std::expected<void, DatError> read_node(Walk& walk, std::uint32_t node_offset) const;
  // Checks that `size` bytes can be gathered at all: a block with room for data, and no more
  // bytes than the file holds.
  std::expected<void, DatError> check_chain_size(std::uint64_t size) const;
  // Gathers out.size() bytes from the chain at `offset`, after check_chain_size.
  std::expected<void, DatError> read_chain(std::uint32_t offset, std::span<std::uint8_t> out) const;

  int fd_ = -1;
  std::uint64_t file_length_ = 0;
  DatHeader header_;
  TrivialArray<DatFileEntry> entries_;  // sorted by id, one entry per id
};

}  // namespace ostrevane::dat
