#include "dat/game_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_support.h"
#include "write/byte_writer.h"
#include "write/game_time_encoder.h"

namespace ostrevane::dat {
namespace {

using test::every_prefix_fails;
using test::parse_fails;

GameTime sample_time() {
  GameTime time;
  time.time_value = 1234.5678;
  time.time_word_1 = 1;
  time.time_word_2 = 0xDEADBEEF;
  time.time_word_3 = 3;
  time.label = "Calendar";
  time.times_of_day = {{7, true, "Dawn"}, {8, false, "Nachtstunde \xC3\xBC"}};
  time.labels = {"", "a", "ab", "abc", "abcd"};
  time.seasons = {{0x10, "Spring"}, {0x11, "Winter \xE2\x9D\x84"}};
  return time;
}

TEST(GameTime, RoundTrip) {
  const GameTime time = sample_time();
  write::ByteWriter out;
  write::encode(out, time);
  ByteCursor cursor(out.bytes());
  const auto back = GameTime::unpack(cursor);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, time);
  EXPECT_EQ(cursor.position(), out.size());
}

TEST(GameTime, EmptyListsAreThirtySixBytes) {
  // f64, three words, an empty label (2 bytes of prefix, 2 of padding), three zero counts.
  write::ByteWriter out;
  out.f64(0.5);
  out.u32(1);
  out.u32(2);
  out.u32(3);
  out.u16(0);
  out.u16(0xEEEE);  // padding, ignored
  out.zeros(12);
  ASSERT_EQ(out.size(), 36u);
  ByteCursor cursor(out.bytes());
  const auto time = GameTime::unpack(cursor);
  ASSERT_TRUE(time);
  EXPECT_EQ(time->time_word_3, 3u);
  EXPECT_TRUE(time->times_of_day.empty() && time->labels.empty() && time->seasons.empty());
  EXPECT_EQ(cursor.position(), 36u);
}

TEST(GameTime, TimeOfDayFlagIsAnyNonzeroWord) {
  const struct {
    std::uint32_t stored;
    bool flag;
  } cases[] = {{1, true}, {0xFFFFFFFF, true}, {0x100, true}, {0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    write::ByteWriter out;
    out.f64(0.0);
    out.zeros(12);
    out.u16(0);
    out.pad_to_4();
    out.u32(1);  // one TimeOfDay
    out.u32(0x55);
    out.u32(c.stored);
    out.u16(0);
    out.pad_to_4();
    out.zeros(8);  // no labels, no seasons
    ByteCursor cursor(out.bytes());
    const auto time = GameTime::unpack(cursor);
    ASSERT_TRUE(time);
    ASSERT_EQ(time->times_of_day.size(), 1u);
    EXPECT_EQ(time->times_of_day[0].flag, c.flag);
    EXPECT_EQ(time->times_of_day[0].word, 0x55u);
  }
}

TEST(Season, NameOfThreeBytesIsPaddedByThree) {
  const std::vector<std::uint8_t> bytes = {
      0x09, 0x00, 0x00, 0x00,  // word
      0x03, 0x00, 'S',  'u',   // name: prefix 3, text...
      'n',  0xAA, 0xAA, 0xAA,  // ...end of text, 3 bytes of padding
      0x77,                    // the next record
  };
  ByteCursor cursor(bytes);
  const auto season = Season::unpack(cursor);
  ASSERT_TRUE(season);
  EXPECT_EQ(*season, (Season{9, "Sun"}));
  EXPECT_EQ(cursor.position(), 12u);
}

TEST(GameTime, EveryPrefixFailsWithoutFrames) {
  // The encoding ends in a season whose name needs no padding, so every cut is short.
  GameTime time = sample_time();
  time.seasons.back().name = "ab";
  write::ByteWriter out;
  write::encode(out, time);
  EXPECT_TRUE(every_prefix_fails(out.bytes(), GameTime::unpack, /*rewinds=*/false));

  // Ending inside the season list gives the bare short-read error.
  std::vector<std::uint8_t> cut = out.bytes();
  cut.resize(cut.size() - 3);
  ByteCursor cursor(cut);
  EXPECT_TRUE(parse_fails(GameTime::unpack(cursor), "failed to fill whole buffer"));
}

}  // namespace
}  // namespace ostrevane::dat
