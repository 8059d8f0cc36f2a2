// Fetching and parsing one record inside the bake, where a failure is not an error but nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "dat/byte_cursor.h"
#include "dat/dat_database.h"

namespace ostrevane::determinism {

// File `id` of `archive` parsed from its first byte with Record::unpack, or nothing when the
// file is missing, unreadable or does not parse; the error itself is dropped.
template <class Record>
std::optional<Record> fetch_record(const dat::DatDatabase& archive, std::uint32_t id) {
  auto bytes = archive.get_file(id);
  if (!bytes) return std::nullopt;
  dat::ByteCursor cursor(*bytes);
  auto record = Record::unpack(cursor);
  if (!record) return std::nullopt;
  return std::move(*record);
}

}  // namespace ostrevane::determinism
