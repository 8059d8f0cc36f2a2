// Lengths written into a record as counts of a fixed width. A list or string too long for its
// count cannot be encoded: that is a fault of the caller that built the record, reported by
// std::length_error rather than written as a count that no longer matches the data.
#pragma once

#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>

namespace ostrevane::write {

template <class Count>
Count checked_count(std::size_t length, const char* what) {
  if (length > std::numeric_limits<Count>::max()) {
    throw std::length_error(std::string(what) + ": " + std::to_string(length) +
                            " does not fit its count");
  }
  return static_cast<Count>(length);
}

}  // namespace ostrevane::write
