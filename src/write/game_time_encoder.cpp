#include "write/game_time_encoder.h"

#include <cstdint>

#include "write/count.h"
#include "write/text_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::Season& season) {
  out.u32(season.word);
  encode_padded_string(out, season.name);
}

void encode(ByteWriter& out, const dat::GameTime& time) {
  out.f64(time.time_value);
  out.u32(time.time_word_1);
  out.u32(time.time_word_2);
  out.u32(time.time_word_3);
  encode_padded_string(out, time.label);
  out.u32(checked_count<std::uint32_t>(time.times_of_day.size(), "times_of_day"));
  for (const dat::TimeOfDay& entry : time.times_of_day) {
    out.u32(entry.word);
    out.u32(entry.flag ? 1 : 0);
    encode_padded_string(out, entry.name);
  }
  out.u32(checked_count<std::uint32_t>(time.labels.size(), "labels"));
  for (const std::string& label : time.labels) encode_padded_string(out, label);
  out.u32(checked_count<std::uint32_t>(time.seasons.size(), "seasons"));
  for (const dat::Season& season : time.seasons) encode(out, season);
}

}  // namespace ostrevane::write
