// Text decoders for stored strings and for showing file system paths, as the WHATWG Encoding
// Standard defines them. Every decoder returns UTF-8 and never fails: malformed input becomes
// U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace ostrevane::dat {

// windows-1252 by the WHATWG index (bytes 0x80..0x9F map to the index's code points).
std::string decode_windows_1252(std::string_view bytes);

// UTF-8 with each maximal malformed subpart replaced by U+FFFD.
std::string decode_utf8(std::string_view bytes);

// UTF-16 in either byte order; unpaired surrogates and a trailing odd byte become U+FFFD.
std::string decode_utf16(std::string_view bytes, bool big_endian);

// The text of a stored string: a leading byte-order mark selects UTF-8 (EF BB BF),
// UTF-16LE (FF FE) or UTF-16BE (FE FF), the mark itself dropped; anything else is windows-1252.
std::string decode_stored_text(std::string_view bytes);

// Raw operating-system bytes shown as text: valid UTF-8 unchanged, anything else replaced.
inline std::string lossy_utf8(std::string_view bytes) { return decode_utf8(bytes); }

}  // namespace ostrevane::dat
