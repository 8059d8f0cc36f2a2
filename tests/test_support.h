// Assertions and fixtures shared by the test programs.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <expected>
#include <filesystem>
#include <fstream>
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


inline constexpr std::string_view kShortRead = "failed to fill whole buffer";

// Feeds every strict prefix of `bytes` to `read(cursor)` and succeeds when each one fails with
// exactly the short-read error "failed to fill whole buffer" and nothing else.
template <class Read>
::testing::AssertionResult every_prefix_short_reads(std::span<const std::uint8_t> bytes,
                                                    Read&& read) {
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

}  // namespace ostrevane::test

namespace ostrevane::testing {

using test::frame_messages;

// A fresh directory for one test, removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "ostrevane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const noexcept { return path_; }

  // Writes `bytes` to the file `name` inside the directory and returns its path.
  std::filesystem::path write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
    return file;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace ostrevane::testing

// Expects `result`, a std::expected holding a ParseError on failure, to have failed with the root
// text `text` ("failed to fill whole buffer", "Unsupported PString length size at 0x10", ...).
#define EXPECT_PARSE_ERROR(result, text)                     \
  do {                                                       \
    const auto& ostrevane_result = (result);                 \
    ASSERT_FALSE(ostrevane_result.has_value());              \
    EXPECT_EQ(ostrevane_result.error().root_text(), (text)); \
  } while (false)
