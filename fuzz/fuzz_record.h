// What every record fuzz target does: parse the input from its first byte with one reader. A
// success or a failure are both fine; a crash, a hang, a sanitizer report or an allocation far
// beyond the input's size are not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "dat/byte_cursor.h"
#include "fuzz/allocation_bound.h"

namespace ostrevane::fuzz {

// Runs `unpack(cursor)` over the bytes; a failure's report is built too, as the tool would.
template <class Unpack>
void parse_record(const std::uint8_t* data, std::size_t size, Unpack&& unpack) {
  dat::ByteCursor cursor(std::span<const std::uint8_t>(data, size));
  auto record = unpack(cursor);
  if (!record) (void)record.error().report();
}

}  // namespace ostrevane::fuzz
