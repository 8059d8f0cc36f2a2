// A read position over one borrowed in-memory byte buffer (one whole archive file). The cursor
// never owns or copies the bytes and never reads past their end: a read that needs more bytes
// than remain fails with the short-read error and leaves the position unchanged.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <type_traits>

#include "dat/error.h"

namespace ostrevane::dat {

static_assert(std::endian::native == std::endian::little, "readers assume a little-endian host");

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> data) noexcept : data_(data) {}

  std::span<const std::uint8_t> data() const noexcept { return data_; }
  std::size_t position() const noexcept { return position_; }
  // Moves the position anywhere, even past the end; the next read then fails.
  void set_position(std::size_t position) noexcept { position_ = position; }
  // Moves forward without reading or checking (alignment gaps that are skipped, not read).
  void skip(std::size_t count) noexcept { position_ += count; }
  std::size_t remaining() const noexcept {
    return position_ < data_.size() ? data_.size() - position_ : 0;
  }

  // How many of `count` elements of at least `element_size` bytes each the remaining bytes
  // could hold: the most a reader may reserve for a count taken from the data.
  std::size_t reservable(std::uint64_t count, std::size_t element_size) const noexcept {
    const std::uint64_t fits = remaining() / element_size;
    return static_cast<std::size_t>(count < fits ? count : fits);
  }

  // Little-endian scalar of any arithmetic type; "failed to fill whole buffer" when short.
  template <class T>
    requires std::is_arithmetic_v<T>
  std::expected<T, ParseError> read() noexcept {
    if (remaining() < sizeof(T)) return std::unexpected(ParseError::short_read());
    T value;
    std::memcpy(&value, data_.data() + position_, sizeof(T));
    position_ += sizeof(T);
    return value;
  }

  std::expected<std::uint8_t, ParseError> read_u8() noexcept { return read<std::uint8_t>(); }
  std::expected<std::uint16_t, ParseError> read_u16() noexcept { return read<std::uint16_t>(); }
  std::expected<std::uint32_t, ParseError> read_u32() noexcept { return read<std::uint32_t>(); }
  std::expected<std::uint64_t, ParseError> read_u64() noexcept { return read<std::uint64_t>(); }
  std::expected<std::int8_t, ParseError> read_i8() noexcept { return read<std::int8_t>(); }
  std::expected<std::int16_t, ParseError> read_i16() noexcept { return read<std::int16_t>(); }
  std::expected<std::int32_t, ParseError> read_i32() noexcept { return read<std::int32_t>(); }
  std::expected<std::int64_t, ParseError> read_i64() noexcept { return read<std::int64_t>(); }
  std::expected<float, ParseError> read_f32() noexcept { return read<float>(); }
  std::expected<double, ParseError> read_f64() noexcept { return read<double>(); }

  // The next `count` bytes as a view into the buffer; "failed to fill whole buffer" when short.
  std::expected<std::span<const std::uint8_t>, ParseError> read_bytes(std::size_t count) noexcept {
    if (remaining() < count) return std::unexpected(ParseError::short_read());
    auto bytes = data_.subspan(position_, count);
    position_ += count;
    return bytes;
  }

  // A fixed-size byte run; "not enough bytes in reader" when short.
  std::expected<std::span<const std::uint8_t>, ParseError> read_byte_run(
      std::size_t count) noexcept {
    if (remaining() < count) return std::unexpected(ParseError::short_byte_run());
    auto bytes = data_.subspan(position_, count);
    position_ += count;
    return bytes;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace ostrevane::dat
