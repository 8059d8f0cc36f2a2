// Assertions shared by the reader tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dat/byte_cursor.h"
#include "dat/error.h"

namespace ostrevane::test {

// The frame messages of an error, innermost first.
inline std::vector<std::string> frame_messages(const dat::ParseError& error) {
  std::vector<std::string> messages;
  for (const dat::ContextFrame& frame : error.frames()) messages.push_back(frame.message);
  return messages;
}

// Succeeds when `result` failed with the root text `root` and exactly the frame messages
// `frames`, innermost first.
template <class T>
::testing::AssertionResult parse_fails(const std::expected<T, dat::ParseError>& result,
                                       std::string_view root,
                                       const std::vector<std::string>& frames = {}) {
  if (result) return ::testing::AssertionFailure() << "parsed successfully";
  const dat::ParseError& error = result.error();
  const std::vector<std::string> actual = frame_messages(error);
  if (error.root_text() == root && actual == frames) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "root \"" << error.root_text() << "\", frames [";
  for (const std::string& message : actual) failure << " \"" << message << "\"";
  return failure << " ]";
}

// The first `length` bytes.
inline std::span<const std::uint8_t> prefix(std::span<const std::uint8_t> bytes,
                                            std::size_t length) {
  return bytes.first(length);
}

// Feeds every strict prefix of `bytes` to `read(cursor)` and succeeds when each one fails with
// a short read; with `rewinds` the cursor must also be back at 0 after each failure.
template <class Read>
::testing::AssertionResult every_prefix_fails(std::span<const std::uint8_t> bytes, Read&& read,
                                              bool rewinds) {
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    dat::ByteCursor cursor(bytes.first(length));
    const auto result = read(cursor);
    if (result) return ::testing::AssertionFailure() << "prefix of " << length << " bytes parsed";
    if (result.error().io_error() == nullptr) {
      return ::testing::AssertionFailure()
             << "prefix of " << length << " bytes: " << result.error().root_text();
    }
    if (rewinds && cursor.position() != 0) {
      return ::testing::AssertionFailure()
             << "prefix of " << length << " bytes left the cursor at " << cursor.position();
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace ostrevane::test
