#include "dat/field_readers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace ostrevane::dat {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FieldReaders, CompressedU32DecodesAllThreeForms) {
  struct Case {
    Bytes bytes;
    std::uint32_t value;
    std::size_t consumed;
  };
  const Case cases[] = {
      {{0x00}, 0, 1},
      {{0x7F}, 127, 1},
      {{0x80, 0xFF}, 255, 2},
      {{0xBF, 0xFF}, 16383, 2},
      {{0xC0, 0x01, 0x02, 0x03}, 0x00010302, 4},  // b1 = 0x01, then u16 w = 0x0302
      {{0xFF, 0xFF, 0xFF, 0xFF}, 0x3FFFFFFF, 4},
      {{0x05, 0xEE}, 5, 1},  // the byte after a one-byte form is not consumed
  };
  for (const Case& c : cases) {
    ByteCursor cursor(c.bytes);
    auto value = read_compressed_u32(cursor);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, c.value);
    EXPECT_EQ(cursor.position(), c.consumed);
  }
}

TEST(FieldReaders, CompressedU32WithAMissingByteFails) {
  const Bytes cases[] = {
      {},
      {0x81},              // two-byte form, second byte missing
      {0xC0, 0x01},        // four-byte form, u16 missing
      {0xC0, 0x01, 0x02},  // four-byte form, half of the u16 missing
  };
  for (const Bytes& bytes : cases) {
    ByteCursor cursor(bytes);
    EXPECT_PARSE_ERROR(read_compressed_u32(cursor), "failed to fill whole buffer");
  }
}

TEST(FieldReaders, SmartVecReadsItsCountedValues) {
  const Bytes two = {0x02, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
  ByteCursor cursor(two);
  EXPECT_EQ(read_smart_vec(cursor).value(), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(cursor.position(), two.size());

  const Bytes empty = {0x00, 0xAA};
  ByteCursor empty_cursor(empty);
  EXPECT_TRUE(read_smart_vec(empty_cursor).value().empty());
  EXPECT_EQ(empty_cursor.position(), 1u);
}

TEST(FieldReaders, SmartVecShorterThanItsCountFails) {
  const Bytes three_of_two = {0x03, 1, 0, 0, 0, 2, 0, 0, 0};
  ByteCursor cursor(three_of_two);
  EXPECT_PARSE_ERROR(read_smart_vec(cursor), "failed to fill whole buffer");

  // A count near 2^30 with four bytes behind it: fails without reserving for the count.
  const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
  ByteCursor huge_cursor(huge);
  EXPECT_PARSE_ERROR(read_smart_vec(huge_cursor), "failed to fill whole buffer");
}

TEST(FieldReaders, PStringDecodesByByteOrderMarkOrWindows1252) {
  struct Case {
    Bytes bytes;
    int length_size;
    std::string text;  // UTF-8
    std::size_t consumed;
  };
  const Case cases[] = {
      {{0x03, 0x00, 'A', 'B', 'C'}, 2, "ABC", 5},
      {{0x00, 0x00, 'A'}, 2, "", 2},
      {{0x01, 0x00, 0x80}, 2, "\u20AC", 3},              // windows-1252 euro sign
      {{0x02, 0x00, 0x9F, 0xE9}, 2, "\u0178\u00E9", 4},  // upper half of windows-1252
      {{0x04, 0x00, 0xEF, 0xBB, 0xBF, 'A'}, 2, "A", 6},  // UTF-8 mark dropped
      {{0x04, 0x00, 0xFF, 0xFE, 'A', 0x00}, 2, "A", 6},  // UTF-16LE mark dropped
      {{0x04, 0x00, 0xFE, 0xFF, 0x00, 'A'}, 2, "A", 6},  // UTF-16BE mark dropped
      {{0x02, 0x00, 0xFF, 0xFE}, 2, "", 4},              // a bare UTF-16LE mark
      {{0x01, 0x00, 0xFF}, 2, "\u00FF", 3},              // one byte: always windows-1252
      {{0x02, 0x00, 0xEF, 0xBB}, 2, "\u00EF\u00BB", 4},  // too short for the UTF-8 mark
      {{0x02, 'h', 'i'}, 1, "hi", 3},                    // one-byte prefix
      {{0x02, 0x00, 0x00, 0x00, 'h', 'i'}, 4, "hi", 6},  // four-byte prefix
      {{0x05, 0x00, 0xEF, 0xBB, 0xBF, 0xC3, 0x28}, 2, "\uFFFD(", 7},  // malformed UTF-8
      {{0x05, 0x00, 0xFF, 0xFE, 'A', 0x00, 'B'}, 2, "A\uFFFD", 7},    // odd trailing byte
      {{0x04, 0x00, 0xFF, 0xFE, 0x00, 0xD8}, 2, "\uFFFD", 6},         // unpaired lead surrogate
  };
  for (const Case& c : cases) {
    ByteCursor cursor(c.bytes);
    auto text = read_pstring(cursor, c.length_size);
    ASSERT_TRUE(text.has_value()) << c.text;
    EXPECT_EQ(*text, c.text);
    EXPECT_EQ(cursor.position(), c.consumed) << c.text;
  }
}

TEST(FieldReaders, PStringShorterThanItsLengthFails) {
  const Bytes cases[] = {
      {0x05, 0x00, 'A', 'B'},  // five bytes announced, two present
      {0x01},                  // the u16 length itself is cut short
  };
  for (const Bytes& bytes : cases) {
    ByteCursor cursor(bytes);
    EXPECT_PARSE_ERROR(read_pstring(cursor, 2), "failed to fill whole buffer");
  }
}

TEST(FieldReaders, PStringWithAnUnsupportedLengthSizeFailsAtItsStart) {
  const Bytes bytes(32, 0x01);
  ByteCursor cursor(bytes);
  cursor.set_position(0x10);
  auto text = read_pstring(cursor, 3);
  ASSERT_FALSE(text.has_value());
  EXPECT_EQ(text.error().kind(), ParseError::Kind::AssertionFailed);
  EXPECT_EQ(text.error().report(), "Unsupported PString length size at 0x10");
  EXPECT_EQ(cursor.position(), 0x10u);  // nothing read
}

TEST(FieldReaders, AlignTo4RoundsUpToTheNextMultiple) {
  const Bytes bytes(16, 0);
  const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {4, 4}, {5, 8}, {7, 8}, {8, 8}};
  for (const auto& [from, to] : cases) {
    ByteCursor cursor(bytes);
    cursor.set_position(from);
    align_to_4(cursor);
    EXPECT_EQ(cursor.position(), to) << from;
  }
}

TEST(FieldReaders, AlignTo4PastTheEndLeavesTheOverrunToTheNextRead) {
  const Bytes bytes(11, 0);
  ByteCursor cursor(bytes);
  cursor.set_position(10);
  align_to_4(cursor);
  EXPECT_EQ(cursor.position(), 12u);
  EXPECT_PARSE_ERROR(cursor.read_u8(), "failed to fill whole buffer");
}

}  // namespace
}  // namespace ostrevane::dat
