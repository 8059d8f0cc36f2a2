#include "write/region_encoder.h"

#include <array>
#include <optional>

#include "write/count.h"
#include "write/game_time_encoder.h"
#include "write/text_encoder.h"

namespace ostrevane::write {

namespace {

template <std::size_t N>
void encode_words(ByteWriter& out, const std::array<std::uint32_t, N>& words) {
  for (std::uint32_t word : words) out.u32(word);
}

void encode_count(ByteWriter& out, std::size_t count, const char* what) {
  out.u32(checked_count<std::uint32_t>(count, what));
}

void encode_u32_list(ByteWriter& out, const std::vector<std::uint32_t>& values, const char* what) {
  encode_count(out, values.size(), what);
  for (std::uint32_t value : values) out.u32(value);
}

void encode_pairs(ByteWriter& out, const std::vector<dat::WordPair>& pairs, const char* what) {
  encode_count(out, pairs.size(), what);
  for (const dat::WordPair& pair : pairs) {
    out.u32(pair.first);
    out.u32(pair.second);
  }
}

// A section the mask selects but the record lacks is written empty.
template <class Section>
void encode_selected(ByteWriter& out, const std::optional<Section>& section) {
  if (section) {
    encode(out, *section);
  } else {
    encode(out, Section{});
  }
}

}  // namespace

void encode(ByteWriter& out, const dat::SkyDesc& sky) {
  out.f64(sky.sky_value_1);
  out.f64(sky.sky_value_2);
  out.pad_to_4();
  encode_count(out, sky.day_groups.size(), "day_groups");
  for (const dat::DayGroup& group : sky.day_groups) {
    out.u32(group.word);
    encode_padded_string(out, group.name);
    encode_count(out, group.entries.size(), "DayGroup entries");
    for (const dat::DayGroupEntry& entry : group.entries) {
      encode_words(out, entry.words);
      out.pad_to_4();
    }
    encode_count(out, group.sky_times.size(), "sky_times");
    for (const dat::SkyTimeOfDay& time : group.sky_times) {
      encode_words(out, time.words);
      out.pad_to_4();
      encode_count(out, time.entries.size(), "SkyTimeOfDay entries");
      for (const dat::SkyTimeEntry& entry : time.entries) {
        encode_words(out, entry.words);
        out.pad_to_4();
      }
    }
  }
}

void encode(ByteWriter& out, const dat::SoundDesc& sound) {
  encode_count(out, sound.ambient_descs.size(), "ambient_descs");
  for (const dat::AmbientSTBDesc& desc : sound.ambient_descs) {
    out.u32(desc.leading_word);
    encode_count(out, desc.entries.size(), "AmbientSTBDesc entries");
    for (const dat::AmbientEntry& entry : desc.entries) encode_words(out, entry.words);
  }
}

void encode(ByteWriter& out, const dat::SceneDesc& scene) {
  encode_count(out, scene.scene_types.size(), "scene_types");
  for (const dat::SceneType& type : scene.scene_types) {
    out.u32(type.leading_word);
    encode_u32_list(out, type.scene_ids, "scene_ids");
  }
}

void encode(ByteWriter& out, const dat::TerrainDesc& terrain) {
  encode_count(out, terrain.terrain_types.size(), "terrain_types");
  for (const dat::TerrainType& type : terrain.terrain_types) {
    encode_padded_string(out, type.name);
    out.u32(type.terrain_word);
    encode_u32_list(out, type.scene_type_indices, "scene_type_indices");
  }
  out.u32(terrain.trailer_word_1);
  out.u32(terrain.trailer_word_2);
  encode_pairs(out, terrain.trailer_pairs_1, "trailer_pairs_1");
  encode_pairs(out, terrain.trailer_pairs_2, "trailer_pairs_2");
  encode_pairs(out, terrain.trailer_pairs_3, "trailer_pairs_3");
  encode_count(out, terrain.trailer_entries.size(), "trailer_entries");
  for (const dat::TrailerEntry& entry : terrain.trailer_entries) encode_words(out, entry.words);
}

void encode(ByteWriter& out, const dat::RegionMisc& misc) {
  out.u32(misc.misc_word_1);
  out.u32(misc.misc_word_2);
  out.u32(misc.misc_word_3);
  out.u32(misc.misc_word_4);
  out.u32(misc.misc_word_5);
  out.u32(misc.misc_word_6);
}

void encode(ByteWriter& out, const dat::Region& region) {
  out.u32(region.id);
  out.u32(region.header_word_1);
  out.u32(region.header_word_2);
  encode_padded_string(out, region.name);
  out.u32(region.land_param_1);
  out.u32(region.land_param_2);
  out.f32(region.land_param_3);
  out.u32(region.land_param_4);
  out.u32(region.land_param_5);
  out.f32(region.land_param_6);
  out.u32(region.land_param_7);
  out.u32(region.land_param_8);
  for (float height : region.land_height_table) out.f32(height);
  encode(out, region.game_time);
  out.u32(region.section_mask);

  // Same order and gating as the reader.
  const std::uint32_t mask = region.section_mask;
  if (mask & dat::Region::kSkyBit) encode_selected(out, region.sky_desc);
  if (mask & dat::Region::kSoundBit) encode_selected(out, region.sound_desc);
  if (mask & dat::Region::kSceneBit) encode_selected(out, region.scene_desc);
  encode(out, region.terrain_desc);
  if (mask & dat::Region::kMiscBit) encode_selected(out, region.region_misc);
}

std::vector<std::uint8_t> encode_region(const dat::Region& region) {
  ByteWriter out;
  encode(out, region);
  return out.take();
}

}  // namespace ostrevane::write
