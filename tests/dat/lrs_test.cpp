#include "dat/lrs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrevane::dat {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(Lrs, InputsWithoutATokenStream) {
  EXPECT_EQ(decompress_lrs(Bytes{}), Bytes{});
  EXPECT_EQ(decompress_lrs(Bytes{1, 2, 3}), (Bytes{1, 2, 3}));  // under 4 bytes: unchanged
  EXPECT_EQ(decompress_lrs(Bytes{9, 0, 0, 0}), Bytes{});
  EXPECT_EQ(decompress_lrs(Bytes{0, 0, 0, 0, 0x00, 'a', 'b'}), Bytes{});  // declared length 0
}

TEST(Lrs, DecodesTheTokenStream) {
  struct Case {
    const char* name;
    Bytes stored;
    Bytes out;
  };
  const Case cases[] = {
      {"stops at the declared length",
       {5, 0, 0, 0, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'},
       text("abcde")},
      {"overlapping copy at distance 1",
       {6, 0, 0, 0, 0x40, 0x61, 0x01, 0x03},  // literal 'a', then distance 1 length 5
       Bytes(6, 0x61)},
      {"stream ends before the declared length", {10, 0, 0, 0, 0x00, 'a', 'b'}, text("ab")},
      {"distance 0 ends the stream", {10, 0, 0, 0, 0x40, 'a', 0x00, 0x00, 'b', 'c'}, text("a")},
      {"stream ends right after a flag byte",
       {10, 0, 0, 0, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00},
       text("abcdefgh")},
      {"back-reference cut off by the end", {10, 0, 0, 0, 0x40, 'a', 0x01}, text("a")},
      {"back-reference before any output ends the stream",
       {10, 0, 0, 0, 0x80, 0x01, 0x00, 'a'},
       Bytes{}},
      {"copy cut off at the declared length",
       {4, 0, 0, 0, 0x40, 'x', 0x01, 0x0F},  // length 17 wanted, 3 fit
       text("xxxx")},
      {"copy of a longer period",
       {7, 0, 0, 0, 0x20, 'a', 'b', 0x02, 0x03},  // "ab", then distance 2 length 5
       text("abababa")},
      {"second group after eight tokens",
       {10, 0, 0, 0, 0x00, '1', '2', '3', '4', '5', '6', '7', '8', 0x80, 0x08, 0x00},
       text("1234567812")},
  };
  for (const Case& c : cases) EXPECT_EQ(decompress_lrs(c.stored), c.out) << c.name;
}

TEST(Lrs, DistanceBeyondTheOutputReadsTheFirstByte) {
  // Ten literals, then distance 300 (b0 0x2C, high nibble 1) with length 4.
  const Bytes stored = {100,  0,   0,   0,                              // declared length
                        0x00, 'a', 'b', 'c',  'd', 'e', 'f', 'g', 'h',  // eight literals
                        0x20, 'i', 'j', 0x2C, 0x12};                    // two literals, reference
  EXPECT_EQ(decompress_lrs(stored), text("abcdefghijaaaa"));
}

TEST(Lrs, HugeDeclaredLengthReservesOnlyWhatTheStreamCanProduce) {
  const Bytes stored = {0xFF, 0xFF, 0xFF, 0xFF, 0x40, 'z', 0x01, 0x0F};
  const Bytes out = decompress_lrs(stored);
  EXPECT_EQ(out, Bytes(18, 'z'));
  EXPECT_LE(out.capacity(), 64u);
}

}  // namespace
}  // namespace ostrevane::dat
