#include "dat/byte_cursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace ostrevane::dat {
namespace {

TEST(ByteCursor, ReadsLittleEndianScalarsInSequence) {
  const std::vector<std::uint8_t> bytes = {
      0xAB,                                            // u8
      0x34, 0x12,                                      // u16 0x1234
      0x78, 0x56, 0x34, 0x12,                          // u32 0x12345678
      0xFE, 0xFF, 0xFF, 0xFF,                          // i32 -2
      0x00, 0x00, 0xC0, 0x3F,                          // f32 1.5
      0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // u64
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0,  // f64 -2.5
      0xFF,                                            // i8 -1
  };
  ByteCursor cursor(bytes);
  EXPECT_EQ(cursor.read_u8().value(), 0xAB);
  EXPECT_EQ(cursor.read_u16().value(), 0x1234);
  EXPECT_EQ(cursor.read_u32().value(), 0x12345678u);
  EXPECT_EQ(cursor.read_i32().value(), -2);
  EXPECT_EQ(cursor.read_f32().value(), 1.5f);
  EXPECT_EQ(cursor.read_u64().value(), 0x0102030405060708u);
  EXPECT_EQ(cursor.read_f64().value(), -2.5);
  EXPECT_EQ(cursor.read_i8().value(), -1);
  EXPECT_EQ(cursor.position(), bytes.size());
  EXPECT_EQ(cursor.remaining(), 0u);
}

TEST(ByteCursor, ShortScalarReadFailsAndKeepsThePosition) {
  const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03};
  ByteCursor cursor(bytes);
  EXPECT_PARSE_ERROR(cursor.read_u32(), "failed to fill whole buffer");
  EXPECT_EQ(cursor.position(), 0u);
  EXPECT_EQ(cursor.read_u16().value(), 0x0201);
  EXPECT_PARSE_ERROR(cursor.read_u16(), "failed to fill whole buffer");
  EXPECT_EQ(cursor.read_u8().value(), 0x03);
  EXPECT_PARSE_ERROR(cursor.read_u8(), "failed to fill whole buffer");
}

TEST(ByteCursor, ByteRunsAndByteSpansHaveTheirOwnShortReadTexts) {
  const std::vector<std::uint8_t> bytes(10, 0x41);
  ByteCursor cursor(bytes);
  EXPECT_PARSE_ERROR(cursor.read_byte_run(16), "not enough bytes in reader");
  EXPECT_PARSE_ERROR(cursor.read_bytes(11), "failed to fill whole buffer");
  EXPECT_EQ(cursor.position(), 0u);

  auto run = cursor.read_byte_run(10);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->size(), 10u);
  EXPECT_EQ(run->data(), bytes.data());  // a view, not a copy
  EXPECT_EQ(cursor.read_bytes(0).value().size(), 0u);
}

TEST(ByteCursor, PositionBeyondTheEndMakesEveryReadFail) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4};
  ByteCursor cursor(bytes);
  cursor.set_position(100);
  EXPECT_EQ(cursor.remaining(), 0u);
  EXPECT_PARSE_ERROR(cursor.read_u8(), "failed to fill whole buffer");
  EXPECT_PARSE_ERROR(cursor.read_bytes(1), "failed to fill whole buffer");
  cursor.set_position(2);
  cursor.skip(3);
  EXPECT_EQ(cursor.position(), 5u);
  EXPECT_PARSE_ERROR(cursor.read_u8(), "failed to fill whole buffer");
}

TEST(ByteCursor, ReservableIsBoundedByTheRemainingBytes) {
  const std::vector<std::uint8_t> bytes(10, 0);
  ByteCursor cursor(bytes);
  EXPECT_EQ(cursor.reservable(0xFFFFFFFFu, 4), 2u);
  EXPECT_EQ(cursor.reservable(1, 4), 1u);
  cursor.set_position(9);
  EXPECT_EQ(cursor.reservable(1000, 1), 1u);
  cursor.set_position(50);
  EXPECT_EQ(cursor.reservable(1000, 1), 0u);
}

}  // namespace
}  // namespace ostrevane::dat
