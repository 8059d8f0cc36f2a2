// The always-present time section of the region record. Stored as read; nothing interprets it.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <vector>

#include "dat/byte_cursor.h"

namespace ostrevane::dat {

struct TimeOfDay {
  std::uint32_t word = 0;
  bool flag = false;  // the stored u32 is nonzero
  std::string name;

  friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

struct Season {
  std::uint32_t word = 0;
  std::string name;

  static std::expected<Season, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Season&, const Season&) = default;
};

struct GameTime {
  double time_value = 0.0;
  std::uint32_t time_word_1 = 0;
  std::uint32_t time_word_2 = 0;
  std::uint32_t time_word_3 = 0;
  std::string label;
  std::vector<TimeOfDay> times_of_day;
  std::vector<std::string> labels;
  std::vector<Season> seasons;

  static std::expected<GameTime, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const GameTime&, const GameTime&) = default;
};

}  // namespace ostrevane::dat
