#include "dat/text_decode.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrevane::dat {
namespace {

TEST(TextDecode, Windows1252FollowsTheIndex) {
  // 0x80..0x9F take the index's code points, the undefined ones (0x81, 0x8D, ...) map to
  // themselves, and 0xA0..0xFF are Latin-1.
  EXPECT_EQ(decode_windows_1252("\x80\x81\x8D\x8F\x90\x9D\x9F"),
            "\u20AC\u0081\u008D\u008F\u0090\u009D\u0178");
  EXPECT_EQ(decode_windows_1252("\x99\xA0\xE9\xFF"), "\u2122\u00A0\u00E9\u00FF");
  EXPECT_EQ(decode_windows_1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextDecode, Utf8ReplacesEveryMaximalMalformedSubpart) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xE2\x82\xAC\x62", "a\u20AC\x62"},
      {"\xF0\x9F\x98\x80", "\U0001F600"},
      {"\xE2\x82", "\uFFFD"},                            // truncated at the end: one replacement
      {"\xE2\x82\x41", "\uFFFD\x41"},                    // broken sequence, next byte read afresh
      {"\xC0\xAF", "\uFFFD\uFFFD"},                      // overlong lead byte
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF0\x80\x80", "\uFFFD\uFFFD\uFFFD"},            // overlong four-byte form
      {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\x80", "\uFFFD"},                                // lone continuation byte
      {"\xFF\x41", "\uFFFD\x41"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(decode_utf8(bytes), text);
}

TEST(TextDecode, Utf16PairsSurrogatesAndReplacesTheRest) {
  const std::pair<std::string, std::string> little[] = {
      {std::string("A\0\xE9\0", 4), "A\u00E9"},
      {std::string("\x3D\xD8\x00\xDE", 4), "\U0001F600"},  // surrogate pair
      {std::string("\x00\xDC", 2), "\uFFFD"},              // lone trail surrogate
      {std::string("\x00\xD8\x41\0", 4), "\uFFFD\x41"},    // lead without trail, unit read afresh
      {std::string("\x00\xD8", 2), "\uFFFD"},              // lead at the end
      {std::string("A\0B", 3), "A\uFFFD"},                 // odd trailing byte
      {std::string("\x00\xD8\x42", 3), "\uFFFD"},          // lead and odd byte: one replacement
  };
  for (const auto& [bytes, text] : little) EXPECT_EQ(decode_utf16(bytes, false), text);
  EXPECT_EQ(decode_utf16(std::string("\0A\xD8\x3D\xDE\x00", 6), true), "A\U0001F600");
}

TEST(TextDecode, StoredTextSniffsTheByteOrderMark) {
  EXPECT_EQ(decode_stored_text("\xEF\xBB\xBF\xC3\xA9"), "\u00E9");
  EXPECT_EQ(decode_stored_text(std::string("\xFF\xFE\xE9\0", 4)), "\u00E9");
  EXPECT_EQ(decode_stored_text(std::string("\xFE\xFF\0\xE9", 4)), "\u00E9");
  EXPECT_EQ(decode_stored_text("\xC3\xA9"), "\u00C3\u00A9");  // no mark: windows-1252
  EXPECT_EQ(decode_stored_text(""), "");
}

}  // namespace
}  // namespace ostrevane::dat
