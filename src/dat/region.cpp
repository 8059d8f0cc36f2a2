#include "dat/region.h"

#include "dat/list_reader.h"
#include "dat/padded_string.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

// The fewest bytes one list element reads: its fixed words and the prefixes of its strings and
// lists. Bounds the reservation made from a stored count.
constexpr std::size_t kDayGroupMinBytes = 4 + kPaddedStringMinBytes + 4 + 4;
constexpr std::size_t kSkyTimeOfDayMinBytes = 11 * 4 + 4;
constexpr std::size_t kAmbientSTBDescMinBytes = 4 + 4;
constexpr std::size_t kSceneTypeMinBytes = 4 + 4;
constexpr std::size_t kTerrainTypeMinBytes = kPaddedStringMinBytes + 4 + 4;

// `N` consecutive u32 words.
template <std::size_t N>
std::expected<std::array<std::uint32_t, N>, ParseError> read_words(ByteCursor& cursor) {
  return read_scalar_array<std::uint32_t, N>(cursor);
}

// A u32 count, then that many u32 values.
std::expected<std::vector<std::uint32_t>, ParseError> read_u32_list(ByteCursor& cursor) {
  OSTREVANE_TRY(const std::uint32_t count, cursor.read_u32());
  return read_scalar_block<std::uint32_t>(cursor, count);
}

std::expected<DayGroupEntry, ParseError> read_day_group_entry(ByteCursor& cursor) {
  DayGroupEntry entry;
  OSTREVANE_TRY(entry.words, read_words<9>(cursor));
  align_to_4(cursor);
  return entry;
}

std::expected<SkyTimeEntry, ParseError> read_sky_time_entry(ByteCursor& cursor) {
  SkyTimeEntry entry;
  OSTREVANE_TRY(entry.words, read_words<6>(cursor));
  align_to_4(cursor);
  return entry;
}

std::expected<SkyTimeOfDay, ParseError> read_sky_time_of_day(ByteCursor& cursor) {
  SkyTimeOfDay time;
  OSTREVANE_TRY(time.words, read_words<11>(cursor));
  align_to_4(cursor);
  OSTREVANE_TRY(time.entries,
                read_counted_list(cursor, sizeof(SkyTimeEntry::words), read_sky_time_entry));
  return time;
}

std::expected<DayGroup, ParseError> read_day_group(ByteCursor& cursor) {
  DayGroup group;
  OSTREVANE_TRY(group.word, cursor.read_u32());
  OSTREVANE_TRY(group.name, read_padded_string(cursor));
  OSTREVANE_TRY(group.entries,
                read_counted_list(cursor, sizeof(DayGroupEntry::words), read_day_group_entry));
  OSTREVANE_TRY(group.sky_times,
                read_counted_list(cursor, kSkyTimeOfDayMinBytes, read_sky_time_of_day));
  return group;
}

std::expected<AmbientEntry, ParseError> read_ambient_entry(ByteCursor& cursor) {
  AmbientEntry entry;
  OSTREVANE_TRY(entry.words, read_words<5>(cursor));
  return entry;
}

std::expected<AmbientSTBDesc, ParseError> read_ambient_stb_desc(ByteCursor& cursor) {
  AmbientSTBDesc desc;
  OSTREVANE_TRY(desc.leading_word, cursor.read_u32());
  OSTREVANE_TRY(desc.entries,
                read_counted_list(cursor, sizeof(AmbientEntry::words), read_ambient_entry));
  return desc;
}

std::expected<SceneType, ParseError> read_scene_type(ByteCursor& cursor) {
  SceneType type;
  OSTREVANE_TRY(type.leading_word, cursor.read_u32());
  OSTREVANE_TRY(type.scene_ids, read_u32_list(cursor));
  return type;
}

std::expected<TerrainType, ParseError> read_terrain_type(ByteCursor& cursor) {
  TerrainType type;
  OSTREVANE_TRY(type.name, read_padded_string(cursor));
  OSTREVANE_TRY(type.terrain_word, cursor.read_u32());
  OSTREVANE_TRY(type.scene_type_indices, read_u32_list(cursor));
  return type;
}

std::expected<WordPair, ParseError> read_word_pair(ByteCursor& cursor) {
  WordPair pair;
  OSTREVANE_TRY(pair.first, cursor.read_u32());
  OSTREVANE_TRY(pair.second, cursor.read_u32());
  return pair;
}

std::expected<TrailerEntry, ParseError> read_trailer_entry(ByteCursor& cursor) {
  TrailerEntry entry;
  OSTREVANE_TRY(entry.words, read_words<11>(cursor));
  return entry;
}

}  // namespace

std::expected<SkyDesc, ParseError> SkyDesc::unpack(ByteCursor& cursor) {
  SkyDesc sky;
  OSTREVANE_TRY(sky.sky_value_1, cursor.read_f64());
  OSTREVANE_TRY(sky.sky_value_2, cursor.read_f64());
  // The sky section pads after its doubles and after every fixed run of words; those steps
  // never move an aligned position, but they belong to the reading order.
  align_to_4(cursor);
  OSTREVANE_TRY(sky.day_groups, read_counted_list(cursor, kDayGroupMinBytes, read_day_group));
  return sky;
}

std::expected<SoundDesc, ParseError> SoundDesc::unpack(ByteCursor& cursor) {
  SoundDesc sound;
  OSTREVANE_TRY(sound.ambient_descs,
                read_counted_list(cursor, kAmbientSTBDescMinBytes, read_ambient_stb_desc));
  return sound;
}

std::expected<SceneDesc, ParseError> SceneDesc::unpack(ByteCursor& cursor) {
  SceneDesc scene;
  OSTREVANE_TRY(scene.scene_types, read_counted_list(cursor, kSceneTypeMinBytes, read_scene_type));
  return scene;
}

std::expected<TerrainDesc, ParseError> TerrainDesc::unpack(ByteCursor& cursor) {
  TerrainDesc terrain;
  OSTREVANE_TRY(terrain.terrain_types,
                read_counted_list(cursor, kTerrainTypeMinBytes, read_terrain_type));
  OSTREVANE_TRY(terrain.trailer_word_1, cursor.read_u32());
  OSTREVANE_TRY(terrain.trailer_word_2, cursor.read_u32());
  OSTREVANE_TRY(terrain.trailer_pairs_1,
                read_counted_list(cursor, sizeof(WordPair), read_word_pair));
  OSTREVANE_TRY(terrain.trailer_pairs_2,
                read_counted_list(cursor, sizeof(WordPair), read_word_pair));
  OSTREVANE_TRY(terrain.trailer_pairs_3,
                read_counted_list(cursor, sizeof(WordPair), read_word_pair));
  OSTREVANE_TRY(terrain.trailer_entries,
                read_counted_list(cursor, sizeof(TrailerEntry::words), read_trailer_entry));
  return terrain;
}

std::expected<RegionMisc, ParseError> RegionMisc::unpack(ByteCursor& cursor) {
  RegionMisc misc;
  OSTREVANE_TRY(misc.misc_word_1, cursor.read_u32());
  OSTREVANE_TRY(misc.misc_word_2, cursor.read_u32());
  OSTREVANE_TRY(misc.misc_word_3, cursor.read_u32());
  OSTREVANE_TRY(misc.misc_word_4, cursor.read_u32());
  OSTREVANE_TRY(misc.misc_word_5, cursor.read_u32());
  OSTREVANE_TRY(misc.misc_word_6, cursor.read_u32());
  return misc;
}

std::expected<Region, ParseError> Region::unpack(ByteCursor& cursor) {
  Region region;
  OSTREVANE_TRY(region.id, cursor.read_u32());
  OSTREVANE_TRY(region.header_word_1, cursor.read_u32());
  OSTREVANE_TRY(region.header_word_2, cursor.read_u32());
  OSTREVANE_TRY(region.name, read_padded_string(cursor));

  OSTREVANE_TRY(region.land_param_1, cursor.read_u32());
  OSTREVANE_TRY(region.land_param_2, cursor.read_u32());
  OSTREVANE_TRY(region.land_param_3, cursor.read_f32());
  OSTREVANE_TRY(region.land_param_4, cursor.read_u32());
  OSTREVANE_TRY(region.land_param_5, cursor.read_u32());
  OSTREVANE_TRY(region.land_param_6, cursor.read_f32());
  OSTREVANE_TRY(region.land_param_7, cursor.read_u32());
  OSTREVANE_TRY(region.land_param_8, cursor.read_u32());

  // Entry i is the height of vertex height byte i.
  OSTREVANE_TRY(region.land_height_table, (read_scalar_array<float, 256>(cursor)));

  OSTREVANE_TRY(region.game_time, GameTime::unpack(cursor));
  OSTREVANE_TRY(region.section_mask, cursor.read_u32());

  // The optional sections follow in this order, which is not the order of their bits.
  if (region.section_mask & kSkyBit) {
    OSTREVANE_TRY(region.sky_desc, SkyDesc::unpack(cursor));
  }
  if (region.section_mask & kSoundBit) {
    OSTREVANE_TRY(region.sound_desc, SoundDesc::unpack(cursor));
  }
  if (region.section_mask & kSceneBit) {
    OSTREVANE_TRY(region.scene_desc, SceneDesc::unpack(cursor));
  }
  OSTREVANE_TRY(region.terrain_desc, TerrainDesc::unpack(cursor));
  if (region.section_mask & kMiscBit) {
    OSTREVANE_TRY(region.region_misc, RegionMisc::unpack(cursor));
  }
  return region;
}

}  // namespace ostrevane::dat
