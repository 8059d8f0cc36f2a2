#include "write/text_encoder.h"

#include <algorithm>
#include <cstdint>

#include "write/count.h"

namespace ostrevane::write {

std::string stored_text(std::string_view utf8) {
  const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(utf8);
  std::string stored = "\xEF\xBB\xBF";
  stored.append(utf8);
  return stored;
}

void encode_padded_string(ByteWriter& out, std::string_view utf8) {
  const std::string stored = stored_text(utf8);
  checked_count<std::uint16_t>(stored.size(), "string length");
  out.pstring16(stored);
  out.pad_to_4();
}

}  // namespace ostrevane::write
