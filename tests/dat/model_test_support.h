// Assertions shared by the model-format tests.
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

namespace ostrevane::model_test {

// Succeeds when `result` failed with the root text `root` and exactly the frame messages
// `frames`, innermost first.
template <class T>
::testing::AssertionResult parse_fails(const std::expected<T, dat::ParseError>& result,
                                       std::string_view root,
                                       const std::vector<std::string>& frames = {}) {
  if (result) return ::testing::AssertionFailure() << "parsed successfully";
  const dat::ParseError& error = result.error();
  std::vector<std::string> actual;
  for (const dat::ContextFrame& frame : error.frames()) actual.push_back(frame.message);
  if (error.root_text() == root && actual == frames) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "root \"" << error.root_text() << "\", frames [";
  for (const std::string& message : actual) failure << " \"" << message << "\"";
  return failure << " ]";
}

inline constexpr std::string_view kShortRead = "failed to fill whole buffer";

// Feeds every strict prefix of `bytes` to `read(cursor)` and succeeds when each one fails with
// the short-read error and nothing else.
template <class Read>
::testing::AssertionResult every_prefix_fails(std::span<const std::uint8_t> bytes, Read&& read) {
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    dat::ByteCursor cursor(bytes.first(length));
    const auto result = read(cursor);
    if (result) return ::testing::AssertionFailure() << "prefix of " << length << " bytes parsed";
    if (result.error().root_text() != kShortRead) {
      return ::testing::AssertionFailure()
             << "prefix of " << length << " bytes: " << result.error().root_text();
    }
  }
  return ::testing::AssertionSuccess();
}

// Parses `bytes` with `read(cursor)` and checks that the whole buffer was consumed.
template <class Read>
auto parse_all(std::span<const std::uint8_t> bytes, Read&& read) {
  dat::ByteCursor cursor(bytes);
  auto result = read(cursor);
  if (result) {
    EXPECT_EQ(cursor.position(), bytes.size());
  }
  return result;
}

}  // namespace ostrevane::model_test
