// The writing counterpart of ByteCursor: appends little-endian values to an owned buffer. The
// record encoders build on it, so every reader has a round trip.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace ostrevane::write {

static_assert(std::endian::native == std::endian::little, "encoders assume a little-endian host");

class ByteWriter {
 public:
  std::vector<std::uint8_t>& bytes() noexcept { return bytes_; }
  const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }
  std::vector<std::uint8_t> take() noexcept { return std::move(bytes_); }
  std::size_t size() const noexcept { return bytes_.size(); }

  template <class T>
    requires std::is_arithmetic_v<T>
  void put(T value) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + sizeof(T));
    std::memcpy(bytes_.data() + at, &value, sizeof(T));
  }
  void u8(std::uint8_t v) { put(v); }
  void u16(std::uint16_t v) { put(v); }
  void u32(std::uint32_t v) { put(v); }
  void i32(std::int32_t v) { put(v); }
  void u64(std::uint64_t v) { put(v); }
  void f32(float v) { put(v); }
  void f64(double v) { put(v); }

  void raw(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  void raw(std::string_view data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, std::uint8_t{0}); }

  // Zero bytes up to the next multiple of 4 of the buffer's length.
  void pad_to_4() { zeros((4 - bytes_.size() % 4) % 4); }

  // The packed integer of read_compressed_u32: 1 byte below 0x80, 2 below 0x4000, else 4.
  void compressed_u32(std::uint32_t value);
  // A packed count, then the values.
  void smart_vec(std::span<const std::uint32_t> values);
  // A string with a 2-byte length prefix, stored as given (callers pass windows-1252 or
  // byte-order-marked bytes), without padding. Throws std::length_error beyond 65535 bytes.
  void pstring16(std::string_view stored_bytes);

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ostrevane::write
