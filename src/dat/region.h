// The region record (file 0x13000000 of the portal archive): the height table, the scene types
// and terrain types the scenery bake draws on, and sections stored only to keep the reading
// position right. Strings are padded to 4 bytes counted from the start of the record.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "dat/byte_cursor.h"
#include "dat/game_time.h"

namespace ostrevane::dat {

struct DayGroupEntry {
  std::array<std::uint32_t, 9> words{};
  friend bool operator==(const DayGroupEntry&, const DayGroupEntry&) = default;
};

struct SkyTimeEntry {
  std::array<std::uint32_t, 6> words{};
  friend bool operator==(const SkyTimeEntry&, const SkyTimeEntry&) = default;
};

struct SkyTimeOfDay {
  std::array<std::uint32_t, 11> words{};
  std::vector<SkyTimeEntry> entries;
  friend bool operator==(const SkyTimeOfDay&, const SkyTimeOfDay&) = default;
};

struct DayGroup {
  std::uint32_t word = 0;
  std::string name;
  std::vector<DayGroupEntry> entries;
  std::vector<SkyTimeOfDay> sky_times;
  friend bool operator==(const DayGroup&, const DayGroup&) = default;
};

// Sky section, present when the region's section_mask has bit 0x10.
struct SkyDesc {
  double sky_value_1 = 0.0;
  double sky_value_2 = 0.0;
  std::vector<DayGroup> day_groups;

  static std::expected<SkyDesc, ParseError> unpack(ByteCursor& cursor);
  friend bool operator==(const SkyDesc&, const SkyDesc&) = default;
};

struct AmbientEntry {
  std::array<std::uint32_t, 5> words{};
  friend bool operator==(const AmbientEntry&, const AmbientEntry&) = default;
};

struct AmbientSTBDesc {
  std::uint32_t leading_word = 0;
  std::vector<AmbientEntry> entries;
  friend bool operator==(const AmbientSTBDesc&, const AmbientSTBDesc&) = default;
};

// Sound section, present when the region's section_mask has bit 0x01.
struct SoundDesc {
  std::vector<AmbientSTBDesc> ambient_descs;

  static std::expected<SoundDesc, ParseError> unpack(ByteCursor& cursor);
  friend bool operator==(const SoundDesc&, const SoundDesc&) = default;
};

// One scene type: the scenes a vertex of this type may draw from.
struct SceneType {
  std::uint32_t leading_word = 0;
  std::vector<std::uint32_t> scene_ids;
  friend bool operator==(const SceneType&, const SceneType&) = default;
};

// Scene section, present when the region's section_mask has bit 0x02. Terrain types refer to
// scene types by their index in `scene_types`.
struct SceneDesc {
  std::vector<SceneType> scene_types;

  static std::expected<SceneDesc, ParseError> unpack(ByteCursor& cursor);
  friend bool operator==(const SceneDesc&, const SceneDesc&) = default;
};

struct TerrainType {
  std::string name;
  std::uint32_t terrain_word = 0;
  std::vector<std::uint32_t> scene_type_indices;  // indices into SceneDesc::scene_types
  friend bool operator==(const TerrainType&, const TerrainType&) = default;
};

struct WordPair {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  friend bool operator==(const WordPair&, const WordPair&) = default;
};

struct TrailerEntry {
  std::array<std::uint32_t, 11> words{};
  friend bool operator==(const TrailerEntry&, const TrailerEntry&) = default;
};

// Terrain section, always present. The position in `terrain_types` is the terrain type number.
struct TerrainDesc {
  std::vector<TerrainType> terrain_types;
  std::uint32_t trailer_word_1 = 0;
  std::uint32_t trailer_word_2 = 0;
  std::vector<WordPair> trailer_pairs_1;
  std::vector<WordPair> trailer_pairs_2;
  std::vector<WordPair> trailer_pairs_3;
  std::vector<TrailerEntry> trailer_entries;

  static std::expected<TerrainDesc, ParseError> unpack(ByteCursor& cursor);
  friend bool operator==(const TerrainDesc&, const TerrainDesc&) = default;
};

struct RegionMisc {
  std::uint32_t misc_word_1 = 0;
  std::uint32_t misc_word_2 = 0;
  std::uint32_t misc_word_3 = 0;
  std::uint32_t misc_word_4 = 0;
  std::uint32_t misc_word_5 = 0;
  std::uint32_t misc_word_6 = 0;

  static std::expected<RegionMisc, ParseError> unpack(ByteCursor& cursor);
  friend bool operator==(const RegionMisc&, const RegionMisc&) = default;
};

struct Region {
  // Bits of section_mask that gate the optional sections.
  static constexpr std::uint32_t kSkyBit = 0x10;
  static constexpr std::uint32_t kSoundBit = 0x01;
  static constexpr std::uint32_t kSceneBit = 0x02;
  static constexpr std::uint32_t kMiscBit = 0x200;

  std::uint32_t id = 0;
  std::uint32_t header_word_1 = 0;
  std::uint32_t header_word_2 = 0;
  std::string name;
  std::uint32_t land_param_1 = 0;
  std::uint32_t land_param_2 = 0;
  float land_param_3 = 0.0f;
  std::uint32_t land_param_4 = 0;
  std::uint32_t land_param_5 = 0;
  float land_param_6 = 0.0f;
  std::uint32_t land_param_7 = 0;
  std::uint32_t land_param_8 = 0;
  std::array<float, 256> land_height_table{};  // height of each vertex height byte
  GameTime game_time;
  std::uint32_t section_mask = 0;
  std::optional<SkyDesc> sky_desc;
  std::optional<SoundDesc> sound_desc;
  std::optional<SceneDesc> scene_desc;
  TerrainDesc terrain_desc;
  std::optional<RegionMisc> region_misc;

  // Reads the record from the cursor's position (0 for a fetched file). Short reads fail with
  // "failed to fill whole buffer" and no context frame; bytes after the last section are
  // ignored.
  static std::expected<Region, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Region&, const Region&) = default;
};

}  // namespace ostrevane::dat
