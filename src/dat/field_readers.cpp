#include "dat/field_readers.h"

#include <string_view>

#include "dat/text_decode.h"
#include "dat/try.h"

namespace ostrevane::dat {

std::expected<std::uint32_t, ParseError> read_compressed_u32(ByteCursor& cursor) {
  OSTREVANE_TRY(const std::uint8_t b0, cursor.read_u8());
  if ((b0 & 0x80) == 0) return b0;
  OSTREVANE_TRY(const std::uint8_t b1, cursor.read_u8());
  if ((b0 & 0x40) == 0) return (std::uint32_t{b0} & 0x3F) << 8 | b1;
  OSTREVANE_TRY(const std::uint16_t w, cursor.read_u16());
  return (std::uint32_t{b0} & 0x3F) << 24 | std::uint32_t{b1} << 16 | w;
}

std::expected<std::vector<std::uint32_t>, ParseError> read_smart_vec(ByteCursor& cursor) {
  OSTREVANE_TRY(const std::uint32_t count, read_compressed_u32(cursor));
  std::vector<std::uint32_t> values;
  values.reserve(cursor.reservable(count, sizeof(std::uint32_t)));
  for (std::uint32_t i = 0; i < count; ++i) {
    OSTREVANE_TRY(const std::uint32_t value, cursor.read_u32());
    values.push_back(value);
  }
  return values;
}

std::expected<std::string, ParseError> read_pstring(ByteCursor& cursor, int length_size) {
  const std::size_t start = cursor.position();
  std::uint32_t length = 0;
  switch (length_size) {
    case 1: {
      OSTREVANE_TRY(length, cursor.read_u8());
      break;
    }
    case 2: {
      OSTREVANE_TRY(length, cursor.read_u16());
      break;
    }
    case 4: {
      OSTREVANE_TRY(length, cursor.read_u32());
      break;
    }
    default:
      return std::unexpected(
          ParseError::assertion_failed(start, "Unsupported PString length size"));
  }
  OSTREVANE_TRY(const auto bytes, cursor.read_bytes(length));
  return decode_stored_text(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace ostrevane::dat
