#include "write/text_encoder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "dat/byte_cursor.h"
#include "dat/padded_string.h"

namespace ostrevane::write {
namespace {

TEST(TextEncoder, StoredTextReadsBackAsTheSameText) {
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {
      {"", ""},
      {"Plains", "Plains"},
      {"\x7F", "\x7F"},
      {"\xE2\x82\xAC", "\xEF\xBB\xBF\xE2\x82\xAC"},  // the euro sign: windows-1252 would be 0x80
      {"\xC3\xA9t\xC3\xA9", "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9"},
      {"\xEF\xBB\xBF", "\xEF\xBB\xBF\xEF\xBB\xBF"},  // a text that starts with U+FEFF keeps it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(stored_text(c.text), c.stored);
    ByteWriter out;
    out.u8(0xAA);  // padding counts from the buffer's start, not the string's
    encode_padded_string(out, c.text);
    EXPECT_EQ(out.size() % 4, 0u);
    dat::ByteCursor cursor(out.bytes());
    cursor.skip(1);
    const auto back = dat::read_padded_string(cursor);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, c.text);
    EXPECT_EQ(cursor.position(), out.size());
  }
}

TEST(TextEncoder, TooLongForTheLengthPrefixThrows) {
  ByteWriter out;
  encode_padded_string(out, std::string(65535, 'a'));
  EXPECT_EQ(out.size(), 2u + 65535u + 3u);
  EXPECT_THROW(encode_padded_string(out, std::string(65536, 'a')), std::length_error);
  // 65534 bytes of text fit, but not behind the 3-byte mark that non-ASCII text needs.
  std::string accented;
  while (accented.size() < 65534) accented += "\xC3\xA9";
  EXPECT_THROW(encode_padded_string(out, accented), std::length_error);
}

}  // namespace
}  // namespace ostrevane::write
