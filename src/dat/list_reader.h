// Lists and runs of values. A stored count is never trusted for an allocation: the reservation
// is bounded by what the remaining bytes could hold, so an oversized count ends in the short-read
// error of the element that runs out of bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <expected>
#include <type_traits>
#include <utility>
#include <vector>

#include "dat/byte_cursor.h"

namespace ostrevane::dat {

// Reads `count` elements with `read_element(cursor)`, which yields std::expected<T, ParseError>;
// `min_element_bytes` is the fewest bytes one element reads. Stops at the first failure and
// returns its error; the elements read so far are released.
template <class ReadElement>
auto read_list(ByteCursor& cursor, std::uint64_t count, std::size_t min_element_bytes,
               ReadElement&& read_element)
    -> std::expected<
        std::vector<typename std::invoke_result_t<ReadElement&, ByteCursor&>::value_type>,
        ParseError> {
  using Element = typename std::invoke_result_t<ReadElement&, ByteCursor&>::value_type;
  std::vector<Element> elements;
  elements.reserve(cursor.reservable(count, min_element_bytes));
  for (std::uint64_t i = 0; i < count; ++i) {
    auto element = read_element(cursor);
    if (!element) return std::unexpected(std::move(element).error());
    elements.push_back(std::move(*element));
  }
  return elements;
}

// A u32 count, then that many elements as read_list reads them.
template <class ReadElement>
auto read_counted_list(ByteCursor& cursor, std::size_t min_element_bytes,
                       ReadElement&& read_element)
    -> decltype(read_list(cursor, 0, min_element_bytes, read_element)) {
  auto count = cursor.read_u32();
  if (!count) return std::unexpected(std::move(count).error());
  return read_list(cursor, *count, min_element_bytes, read_element);
}

// `count` little-endian scalars read as one block: the whole block must be present, otherwise
// "failed to fill whole buffer" and nothing is allocated.
template <class T>
  requires std::is_arithmetic_v<T>
std::expected<std::vector<T>, ParseError> read_scalar_block(ByteCursor& cursor,
                                                            std::size_t count) {
  if (count > cursor.remaining() / sizeof(T)) return std::unexpected(ParseError::short_read());
  auto bytes = cursor.read_bytes(count * sizeof(T));
  if (!bytes) return std::unexpected(std::move(bytes).error());
  std::vector<T> values(count);
  if (count != 0) std::memcpy(values.data(), bytes->data(), bytes->size());
  return values;
}

// `N` little-endian scalars of a fixed-size run, read as one block ("failed to fill whole
// buffer" when short).
template <class T, std::size_t N>
  requires std::is_arithmetic_v<T>
std::expected<std::array<T, N>, ParseError> read_scalar_array(ByteCursor& cursor) {
  auto bytes = cursor.read_bytes(N * sizeof(T));
  if (!bytes) return std::unexpected(std::move(bytes).error());
  std::array<T, N> values;
  std::memcpy(values.data(), bytes->data(), bytes->size());
  return values;
}

}  // namespace ostrevane::dat
