// Assertions and fixtures shared by the test programs.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "dat/error.h"

namespace ostrevane::testing {

// The messages of a parse error's context frames, innermost first.
inline std::vector<std::string> frame_messages(const dat::ParseError& error) {
  std::vector<std::string> out;
  for (const dat::ContextFrame& frame : error.frames()) out.push_back(frame.message);
  return out;
}

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
