#include "dat/region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "test_support.h"
#include "write/byte_writer.h"
#include "write/region_encoder.h"

namespace ostrevane::dat {
namespace {

using test::every_prefix_fails;
using test::parse_fails;

constexpr const char* kShort = "failed to fill whole buffer";

// A region with every section and something in every list.
Region full_region() {
  Region region;
  region.id = 0x13000000;
  region.header_word_1 = 1;
  region.header_word_2 = 0xFFFFFFFF;
  region.name = "Ostrevane \xC3\x9F";  // non-ASCII: stored behind a byte-order mark
  region.land_param_1 = 11;
  region.land_param_2 = 12;
  region.land_param_3 = 2.5f;
  region.land_param_4 = 14;
  region.land_param_5 = 15;
  region.land_param_6 = -0.0f;
  region.land_param_7 = 0xA5A5A5A5;
  region.land_param_8 = 18;
  for (std::size_t i = 0; i < region.land_height_table.size(); ++i) {
    region.land_height_table[i] = static_cast<float>(i) * 2.0f;
  }
  region.game_time.time_value = 3.25;
  region.game_time.label = "Time";
  region.game_time.times_of_day = {{1, true, "Noon"}};
  region.game_time.labels = {"x"};
  region.game_time.seasons = {{2, "Autumn"}};
  region.section_mask = 0x213;

  SkyDesc sky;
  sky.sky_value_1 = 0.75;
  sky.sky_value_2 = -1e300;
  DayGroup group;
  group.word = 0x44;
  group.name = "Clear";
  group.entries = {DayGroupEntry{{1, 2, 3, 4, 5, 6, 7, 8, 9}}};
  SkyTimeOfDay sky_time;
  sky_time.words = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  sky_time.entries = {SkyTimeEntry{{6, 5, 4, 3, 2, 1}}, SkyTimeEntry{}};
  group.sky_times = {sky_time, SkyTimeOfDay{}};
  sky.day_groups = {group, DayGroup{}};
  region.sky_desc = sky;

  region.sound_desc =
      SoundDesc{{AmbientSTBDesc{9, {AmbientEntry{{1, 2, 3, 4, 5}}}}, AmbientSTBDesc{10, {}}}};
  region.scene_desc = SceneDesc{{SceneType{0, {0x120000A1, 0x120000A2}}, SceneType{1, {}}}};

  TerrainDesc& terrain = region.terrain_desc;
  terrain.terrain_types = {TerrainType{"Grassland", 0x32, {0, 1}}, TerrainType{"", 7, {}}};
  terrain.trailer_word_1 = 21;
  terrain.trailer_word_2 = 22;
  terrain.trailer_pairs_1 = {{1, 2}};
  terrain.trailer_pairs_2 = {};
  terrain.trailer_pairs_3 = {{3, 4}, {5, 6}};
  terrain.trailer_entries = {TrailerEntry{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}};
  region.region_misc = RegionMisc{1, 2, 3, 4, 5, 6};
  return region;
}

// A region with only the always-present sections, all lists empty.
Region bare_region(std::uint32_t section_mask) {
  Region region;
  region.id = 0x13000000;
  region.name = std::string(1, 'R');  // (a literal here trips a false -Wrestrict in g++ 12)
  region.section_mask = section_mask;
  return region;
}

std::expected<Region, ParseError> parse(std::span<const std::uint8_t> bytes,
                                        std::size_t* consumed = nullptr) {
  ByteCursor cursor(bytes);
  auto region = Region::unpack(cursor);
  if (consumed) *consumed = cursor.position();
  return region;
}

TEST(Region, RoundTripWithEverySection) {
  const Region region = full_region();
  const std::vector<std::uint8_t> bytes = write::encode_region(region);
  std::size_t consumed = 0;
  const auto back = parse(bytes, &consumed);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, region);
  EXPECT_EQ(consumed, bytes.size());
}

TEST(Region, MaskZeroReadsOnlyTimeAndTerrain) {
  const Region region = bare_region(0);
  const std::vector<std::uint8_t> bytes = write::encode_region(region);
  std::size_t consumed = 0;
  const auto back = parse(bytes, &consumed);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->sky_desc || back->sound_desc || back->scene_desc || back->region_misc);
  // The empty terrain section (28 bytes) follows the mask directly.
  std::uint32_t mask = 1;
  std::memcpy(&mask, bytes.data() + bytes.size() - 32, 4);
  EXPECT_EQ(mask, 0u);
  EXPECT_EQ(consumed, bytes.size());
}

TEST(Region, UnrelatedMaskBitsReadTheSameBytesAsZero) {
  std::vector<std::uint8_t> bytes = write::encode_region(bare_region(0));
  const std::size_t mask_at = bytes.size() - 32;
  for (const std::uint32_t mask : {0x04u, 0x100u, ~0x213u}) {
    SCOPED_TRACE(mask);
    std::memcpy(bytes.data() + mask_at, &mask, 4);
    std::size_t consumed = 0;
    const auto back = parse(bytes, &consumed);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->section_mask, mask);  // stored as read
    EXPECT_FALSE(back->sky_desc || back->sound_desc || back->scene_desc || back->region_misc);
    EXPECT_EQ(consumed, bytes.size());
  }
}

TEST(Region, SectionsFollowInSkySoundSceneTerrainMiscOrder) {
  // Everything up to the mask from the encoder, then the sections written by hand.
  std::vector<std::uint8_t> head = write::encode_region(bare_region(0));
  head.resize(head.size() - 32);
  write::ByteWriter out;
  out.raw(head);
  out.u32(0x213);
  out.f64(1.0);  // sky: two doubles, no day groups
  out.f64(2.0);
  out.u32(0);
  out.u32(1);  // sound: one AmbientSTBDesc without entries
  out.u32(0x50);
  out.u32(0);
  out.u32(1);  // scene: one SceneType with one id
  out.u32(0x60);
  out.u32(1);
  out.u32(0x12000001);
  out.u32(0);  // terrain: no types, the trailer words, empty lists
  out.u32(0x70);
  out.u32(0x71);
  out.zeros(16);
  for (std::uint32_t w = 1; w <= 6; ++w) out.u32(0x80 + w);  // misc

  std::size_t consumed = 0;
  const auto region = parse(out.bytes(), &consumed);
  ASSERT_TRUE(region);
  ASSERT_TRUE(region->sky_desc && region->sound_desc && region->scene_desc && region->region_misc);
  EXPECT_EQ(region->sky_desc->sky_value_2, 2.0);
  EXPECT_EQ(region->sound_desc->ambient_descs.at(0).leading_word, 0x50u);
  EXPECT_EQ(region->scene_desc->scene_types.at(0),
            (SceneType{0x60, std::vector<std::uint32_t>{0x12000001}}));
  EXPECT_EQ(region->terrain_desc.trailer_word_2, 0x71u);
  EXPECT_EQ(region->region_misc->misc_word_6, 0x86u);
  EXPECT_EQ(consumed, out.size());
}

TEST(Region, NameIsPaddedToFourFromTheRecordStart) {
  const struct {
    const char* name;
    std::size_t padding;
  } cases[] = {{"", 2}, {"ab", 0}, {"abc", 3}, {"abcde", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Region region = bare_region(0);
    region.name = c.name;
    region.land_param_1 = 0x11223344;
    std::vector<std::uint8_t> bytes = write::encode_region(region);
    const std::size_t name_end = 14 + std::strlen(c.name);
    // The padding is skipped, whatever it holds; land_param_1 starts right after it.
    std::memset(bytes.data() + name_end, 0xEE, c.padding);
    std::uint32_t first_param = 0;
    std::memcpy(&first_param, bytes.data() + name_end + c.padding, 4);
    EXPECT_EQ(first_param, 0x11223344u);
    const auto back = parse(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, region);
  }
}

TEST(Region, EndsExactlyAfterTheLastSectionRead) {
  Region misc_last = bare_region(Region::kMiscBit);
  misc_last.region_misc = RegionMisc{1, 2, 3, 4, 5, 6};
  for (const Region& region : {bare_region(0), misc_last, full_region()}) {
    SCOPED_TRACE(region.section_mask);
    std::vector<std::uint8_t> bytes = write::encode_region(region);
    ASSERT_TRUE(parse(bytes));

    std::vector<std::uint8_t> longer = bytes;
    longer.insert(longer.end(), {1, 2, 3, 4, 5});
    std::size_t consumed = 0;
    const auto extra = parse(longer, &consumed);
    ASSERT_TRUE(extra);
    EXPECT_EQ(*extra, region);
    EXPECT_EQ(consumed, bytes.size());

    bytes.pop_back();
    EXPECT_TRUE(parse_fails(parse(bytes), kShort));
  }
}

TEST(Region, EveryPrefixFailsWithTheBareShortRead) {
  const std::vector<std::uint8_t> bytes = write::encode_region(full_region());
  EXPECT_TRUE(every_prefix_fails(bytes, Region::unpack, /*rewinds=*/false));
  for (std::size_t length : {std::size_t{0}, std::size_t{13}, bytes.size() / 2}) {
    EXPECT_TRUE(parse_fails(parse(test::prefix(bytes, length)), kShort));
  }
}

TEST(Region, HeightTableKeepsEveryBitPattern) {
  Region region = bare_region(0);
  region.land_height_table[0] = std::numeric_limits<float>::quiet_NaN();
  region.land_height_table[255] = -std::numeric_limits<float>::infinity();
  std::vector<std::uint8_t> bytes = write::encode_region(region);
  // A signalling NaN with a payload in entry 1, patched in as raw bits.
  const std::size_t table_at = 16 + 8 * 4;  // name "R" pads to 16, then eight parameters
  const std::uint32_t signalling = 0x7F812345;
  std::memcpy(bytes.data() + table_at + 4, &signalling, 4);
  const auto back = parse(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(back->land_height_table[1]), signalling);
  EXPECT_TRUE(std::isnan(back->land_height_table[0]));
  EXPECT_EQ(back->land_height_table[255], -std::numeric_limits<float>::infinity());
}

// The smallest forms of the sections and where each one stops.
TEST(RegionSections, SizesOfMinimalSections) {
  using Read = std::function<std::expected<void, ParseError>(ByteCursor&)>;
  const auto reads = [](auto unpack) -> Read {
    return [unpack](ByteCursor& c) -> std::expected<void, ParseError> {
      auto section = unpack(c);
      if (!section) return std::unexpected(std::move(section).error());
      return {};
    };
  };
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Read read;
  } cases[] = {
      {"SkyDesc without day groups", std::vector<std::uint8_t>(20, 0), reads(SkyDesc::unpack)},
      {"SoundDesc without entries", std::vector<std::uint8_t>(4, 0), reads(SoundDesc::unpack)},
      {"SceneDesc without scene types", std::vector<std::uint8_t>(4, 0), reads(SceneDesc::unpack)},
      {"TerrainDesc with all counts 0", std::vector<std::uint8_t>(28, 0),
       reads(TerrainDesc::unpack)},
      {"RegionMisc", std::vector<std::uint8_t>(24, 0), reads(RegionMisc::unpack)},
      {"SoundDesc with one desc of 2 entries",
       [] {
         std::vector<std::uint8_t> b(4 + 48, 0);
         b[0] = 1;      // one AmbientSTBDesc
         b[4 + 4] = 2;  // two entries of 20 bytes
         return b;
       }(),
       reads(SoundDesc::unpack)},
      {"SkyDesc with one empty day group and one SkyTimeOfDay without entries",
       [] {
         write::ByteWriter out;
         out.zeros(16);
         out.u32(1);  // one day group
         out.u32(0);  // word
         out.u16(0);  // empty name and its padding
         out.u16(0);
         out.u32(0);  // no entries
         out.u32(1);  // one SkyTimeOfDay: 44 bytes of words and a zero count
         out.zeros(48);
         return out.take();
       }(),
       reads(SkyDesc::unpack)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ByteCursor cursor(c.bytes);
    EXPECT_TRUE(c.read(cursor).has_value());
    EXPECT_EQ(cursor.position(), c.bytes.size());
    EXPECT_TRUE(every_prefix_fails(c.bytes, c.read, /*rewinds=*/false));
  }
}

}  // namespace
}  // namespace ostrevane::dat
