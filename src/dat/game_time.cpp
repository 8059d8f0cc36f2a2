#include "dat/game_time.h"

#include "dat/list_reader.h"
#include "dat/padded_string.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

// word, flag, the name's prefix
constexpr std::size_t kTimeOfDayMinBytes = 4 + 4 + kPaddedStringMinBytes;
// word, the name's prefix
constexpr std::size_t kSeasonMinBytes = 4 + kPaddedStringMinBytes;

std::expected<TimeOfDay, ParseError> read_time_of_day(ByteCursor& cursor) {
  TimeOfDay time;
  OSTREVANE_TRY(time.word, cursor.read_u32());
  OSTREVANE_TRY(const std::uint32_t flag, cursor.read_u32());
  time.flag = flag != 0;
  OSTREVANE_TRY(time.name, read_padded_string(cursor));
  return time;
}

}  // namespace

std::expected<Season, ParseError> Season::unpack(ByteCursor& cursor) {
  Season season;
  OSTREVANE_TRY(season.word, cursor.read_u32());
  OSTREVANE_TRY(season.name, read_padded_string(cursor));
  return season;
}

std::expected<GameTime, ParseError> GameTime::unpack(ByteCursor& cursor) {
  GameTime time;
  OSTREVANE_TRY(time.time_value, cursor.read_f64());
  OSTREVANE_TRY(time.time_word_1, cursor.read_u32());
  OSTREVANE_TRY(time.time_word_2, cursor.read_u32());
  OSTREVANE_TRY(time.time_word_3, cursor.read_u32());
  OSTREVANE_TRY(time.label, read_padded_string(cursor));
  OSTREVANE_TRY(time.times_of_day, read_counted_list(cursor, kTimeOfDayMinBytes, read_time_of_day));
  OSTREVANE_TRY(time.labels, read_counted_list(cursor, kPaddedStringMinBytes, read_padded_string));
  OSTREVANE_TRY(time.seasons, read_counted_list(cursor, kSeasonMinBytes, Season::unpack));
  return time;
}

}  // namespace ostrevane::dat
