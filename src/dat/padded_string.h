// The string of the region family: a 2-byte length prefix, the text, then padding to the next
// multiple of 4 counted from the start of the buffer.
#pragma once

#include <expected>
#include <string>

#include "dat/byte_cursor.h"
#include "dat/field_readers.h"

namespace ostrevane::dat {

// Minimum bytes a padded string reads: its length prefix.
inline constexpr std::size_t kPaddedStringMinBytes = 2;

inline std::expected<std::string, ParseError> read_padded_string(ByteCursor& cursor) {
  auto text = read_pstring(cursor, 2);
  if (text) align_to_4(cursor);
  return text;
}

}  // namespace ostrevane::dat
