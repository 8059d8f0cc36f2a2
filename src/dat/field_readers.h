// The shared field readers of every record format: packed integers, packed-count lists,
// length-prefixed strings and 4-byte alignment.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <vector>

#include "dat/byte_cursor.h"

namespace ostrevane::dat {

// A packed unsigned integer of 1, 2 or 4 bytes, value 0 .. 2^30 - 1:
// 0xxxxxxx | 10xxxxxx b1 | 11xxxxxx b1 w(u16).
std::expected<std::uint32_t, ParseError> read_compressed_u32(ByteCursor& cursor);

// A packed count n, then n little-endian u32. The reservation never exceeds what the remaining
// bytes can hold, so an oversized count ends in the short-read error.
std::expected<std::vector<std::uint32_t>, ParseError> read_smart_vec(ByteCursor& cursor);

// A string with a 1-, 2- or 4-byte length prefix, decoded to UTF-8 (windows-1252 unless a
// byte-order mark says UTF-8 or UTF-16). Any other `length_size` fails with AssertionFailed
// "Unsupported PString length size" at the string's start. Padding is left to the caller.
std::expected<std::string, ParseError> read_pstring(ByteCursor& cursor, int length_size);

// Moves the position to the next multiple of 4 counted from the buffer's start, unless it is one
// already. Never fails and never checks the end: the next read reports any overrun.
inline void align_to_4(ByteCursor& cursor) noexcept {
  const std::size_t p = cursor.position();
  if (p % 4 != 0) cursor.set_position((p & ~std::size_t{3}) + 4);
}

}  // namespace ostrevane::dat
