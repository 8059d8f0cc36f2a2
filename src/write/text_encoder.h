// Strings as the readers take them back: in memory a text is UTF-8, on disk it is windows-1252
// or marked by a byte-order mark.
#pragma once

#include <string>
#include <string_view>

#include "write/byte_writer.h"

namespace ostrevane::write {

// The stored bytes that read_pstring decodes to `utf8`: ASCII as is (windows-1252 and UTF-8
// agree on it), anything else as UTF-8 behind the mark EF BB BF. `utf8` must be valid UTF-8.
std::string stored_text(std::string_view utf8);

// A string of the region family: the 2-byte length prefix, the stored bytes, then zero padding
// to the next multiple of 4 of the buffer's length. Throws std::length_error when the stored
// bytes exceed 65535.
void encode_padded_string(ByteWriter& out, std::string_view utf8);

}  // namespace ostrevane::write
