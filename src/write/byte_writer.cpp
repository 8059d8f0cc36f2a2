#include "write/byte_writer.h"

#include <stdexcept>

namespace ostrevane::write {

void ByteWriter::compressed_u32(std::uint32_t value) {
  if (value < 0x80) {
    u8(static_cast<std::uint8_t>(value));
  } else if (value < 0x4000) {
    u8(static_cast<std::uint8_t>(0x80 | (value >> 8)));
    u8(static_cast<std::uint8_t>(value & 0xFF));
  } else {
    u8(static_cast<std::uint8_t>(0xC0 | ((value >> 24) & 0x3F)));
    u8(static_cast<std::uint8_t>((value >> 16) & 0xFF));
    u16(static_cast<std::uint16_t>(value & 0xFFFF));
  }
}

void ByteWriter::smart_vec(std::span<const std::uint32_t> values) {
  compressed_u32(static_cast<std::uint32_t>(values.size()));
  for (std::uint32_t v : values) u32(v);
}

void ByteWriter::pstring16(std::string_view stored_bytes) {
  // A longer string cannot be described by its prefix: refuse to write corrupt data.
  if (stored_bytes.size() > 0xFFFF) throw std::length_error("string longer than 65535 bytes");
  u16(static_cast<std::uint16_t>(stored_bytes.size()));
  raw(stored_bytes);
}

}  // namespace ostrevane::write
