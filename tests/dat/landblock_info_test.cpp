#include "dat/landblock_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_support.h"
#include "write/landblock_encoder.h"

namespace ostrevane::dat {
namespace {

using test::every_prefix_fails;
using test::parse_fails;

constexpr const char* kShort = "failed to fill whole buffer";

PortalInternal portal(std::vector<std::uint16_t> stabs) {
  return PortalInternal{0x0003, 0x0100, 2, std::move(stabs)};
}

LandblockInfo sample_info() {
  LandblockInfo info;
  info.id = 0xA9B4FFFE;
  info.num_cells = 3;
  info.objects = {Stab{0x01000100, {{10.0f, 20.0f, 30.0f}, {1.0f, 0.0f, 0.0f, 0.0f}}},
                  Stab{0x02000200, {{-1.0f, 0.5f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}}}};
  BuildInfo house;
  house.model_id = 0x01000300;
  house.frame = {{96.0f, 48.0f, 12.0f}, {0.7071f, 0.0f, 0.0f, 0.7071f}};
  house.num_leaves = 5;
  house.portals = {portal({}), portal({0x0101}), portal({1, 2}), portal({1, 2, 3})};
  BuildInfo shed;
  shed.model_id = 0x02000400;
  info.buildings = {house, shed};
  info.pack_mask = 0x0003;
  info.restriction_tables = RestrictionTable{{{1, 10}, {0xFFFFFFFF, 20}}};
  return info;
}

// id, num_cells, num_objects = 0, then num_buildings and pack_mask.
std::vector<std::uint8_t> empty_info(std::uint16_t num_buildings, std::uint16_t pack_mask) {
  write::ByteWriter out;
  out.u32(0x0102FFFE);
  out.u32(0);
  out.u32(0);
  out.u16(num_buildings);
  out.u16(pack_mask);
  return out.take();
}

TEST(LandblockInfo, RoundTripIgnoresTrailingBytes) {
  const LandblockInfo info = sample_info();
  std::vector<std::uint8_t> bytes = write::encode_landblock_info(info);
  const std::size_t size = bytes.size();
  bytes.insert(bytes.end(), {9, 9, 9, 9});
  ByteCursor cursor(bytes);
  const auto back = LandblockInfo::unpack(cursor);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, info);
  EXPECT_EQ(cursor.position(), size);
}

TEST(LandblockInfo, EmptyRecordIsSixteenBytes) {
  const std::vector<std::uint8_t> bytes = empty_info(0, 0);
  ASSERT_EQ(bytes.size(), 16u);
  ByteCursor cursor(bytes);
  const auto info = LandblockInfo::unpack(cursor);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->id, 0x0102FFFEu);
  EXPECT_TRUE(info->objects.empty() && info->buildings.empty());
  EXPECT_FALSE(info->restriction_tables);
  EXPECT_EQ(cursor.position(), 16u);
}

TEST(LandblockInfo, PackMaskBitZeroGatesTheRestrictionTable) {
  // Bit 0 clear: nothing more is read even though a table could follow.
  std::vector<std::uint8_t> clear = empty_info(0, 0xFFFE);
  clear.insert(clear.end(), {1, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0});
  ByteCursor clear_cursor(clear);
  const auto without = LandblockInfo::unpack(clear_cursor);
  ASSERT_TRUE(without);
  EXPECT_FALSE(without->restriction_tables);
  EXPECT_EQ(without->pack_mask, 0xFFFE);
  EXPECT_EQ(clear_cursor.position(), 16u);

  // Bit 0 set and nothing after: the table's count is missing.
  const std::vector<std::uint8_t> set = empty_info(0, 1);
  ByteCursor set_cursor(set);
  const auto missing = LandblockInfo::unpack(set_cursor);
  ASSERT_TRUE(parse_fails(missing, kShort,
                          {"While parsing field 'count' in RestrictionTable",
                           "While parsing field 'restriction_tables' in LandblockInfo"}));
  EXPECT_EQ(missing.error().frames()[1].line, LandblockInfo::restriction_tables_line);
  EXPECT_EQ(set_cursor.position(), 0u);
}

TEST(PortalInternal, OddStabListsSkipTwoBytes) {
  const struct {
    std::vector<std::uint16_t> stabs;
    std::size_t size;
  } cases[] = {{{}, 8}, {{7}, 12}, {{7, 8}, 12}, {{7, 8, 9}, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stabs.size());
    write::ByteWriter out;
    write::encode(out, portal(c.stabs));
    ASSERT_EQ(out.size(), c.size);
    out.u32(0xEEEEEEEE);  // whatever follows
    ByteCursor cursor(out.bytes());
    const auto back = PortalInternal::unpack(cursor);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, portal(c.stabs));
    EXPECT_EQ(cursor.position(), c.size);
  }
}

TEST(LandblockInfo, BufferMayEndRightAfterAnOddStabList) {
  LandblockInfo info;
  info.buildings = {BuildInfo{0x01000001, {}, 0, {portal({42})}}};
  std::vector<std::uint8_t> bytes = write::encode_landblock_info(info);
  bytes.resize(bytes.size() - 2);  // the two skipped bytes are never read
  ByteCursor cursor(bytes);
  const auto back = LandblockInfo::unpack(cursor);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, info);
}

TEST(RestrictionTable, LaterPairOfAKeyWins) {
  write::ByteWriter out;
  out.u16(3);       // count
  out.u16(0x1234);  // bucket size, discarded
  for (std::uint32_t word : {5u, 50u, 6u, 60u, 5u, 51u}) out.u32(word);
  ByteCursor cursor(out.bytes());
  const auto table = RestrictionTable::unpack(cursor);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->tables, (std::unordered_map<std::uint32_t, std::uint32_t>{{5, 51}, {6, 60}}));
  EXPECT_EQ(cursor.position(), out.size());

  const std::vector<std::uint8_t> empty = {0, 0, 8, 0};
  ByteCursor empty_cursor(empty);
  const auto none = RestrictionTable::unpack(empty_cursor);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->tables.empty());
  EXPECT_EQ(empty_cursor.position(), 4u);
}

TEST(LandblockInfo, NestedFailuresCarryEveryLevelInnermostFirst) {
  const struct {
    const char* name;
    LandblockInfo info;
    std::size_t length;  // bytes kept
    std::vector<std::string> frames;
    std::vector<std::string_view> sources;
    std::vector<std::uint32_t> lines;
  } cases[] = {
      {"short stab_list",
       [] {
         LandblockInfo info;
         info.buildings = {BuildInfo{1, {}, 0, {portal({1, 2})}}};
         return info;
       }(),
       16 + 40 + 8 + 3,  // the second stab is cut off
       {"While parsing field 'stab_list' in PortalInternal",
        "While parsing field 'portals' in BuildInfo",
        "While parsing field 'buildings' in LandblockInfo"},
       {kLandblockSource, kLandblockSource, kLandblockSource},
       {PortalInternal::stab_list_line, BuildInfo::portals_line, LandblockInfo::buildings_line}},
      {"short orientation of a Stab",
       [] {
         LandblockInfo info;
         info.objects = {Stab{}};
         return info;
       }(),
       12 + 4 + 27,  // the Stab's frame lacks one byte
       {"While parsing field 'z' in Quaternion", "While parsing field 'orientation' in Frame",
        "While parsing field 'frame' in Stab", "While parsing field 'objects' in LandblockInfo"},
       {kMathSource, kLandblockSource, kLandblockSource, kLandblockSource},
       {math::Quaternion::z_line, Frame::orientation_line, Stab::frame_line,
        LandblockInfo::objects_line}},
      {"short restriction pair",
       [] {
         LandblockInfo info;
         info.pack_mask = 1;
         info.restriction_tables = RestrictionTable{{{1, 2}}};
         return info;
       }(),
       16 + 4 + 4,  // the pair's value is missing
       {"While parsing field 'tables' in RestrictionTable",
        "While parsing field 'restriction_tables' in LandblockInfo"},
       {kLandblockSource, kLandblockSource},
       {RestrictionTable::tables_line, LandblockInfo::restriction_tables_line}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bytes = write::encode_landblock_info(c.info);
    ASSERT_LT(c.length, bytes.size());
    bytes.resize(c.length);
    ByteCursor cursor(bytes);
    const auto info = LandblockInfo::unpack(cursor);
    ASSERT_TRUE(parse_fails(info, kShort, c.frames));
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
      EXPECT_EQ(info.error().frames()[i].source, c.sources[i]) << i;
      EXPECT_EQ(info.error().frames()[i].line, c.lines[i]) << i;
    }
    EXPECT_EQ(cursor.position(), 0u);
  }
}

TEST(LandblockInfo, EveryPrefixFailsAndRewinds) {
  const std::vector<std::uint8_t> bytes = write::encode_landblock_info(sample_info());
  EXPECT_TRUE(every_prefix_fails(bytes, LandblockInfo::unpack, /*rewinds=*/true));
  // The outermost frame always names the LandblockInfo field being read.
  for (std::size_t length = 0; length < bytes.size(); length += 7) {
    ByteCursor cursor(test::prefix(bytes, length));
    const auto info = LandblockInfo::unpack(cursor);
    ASSERT_FALSE(info);
    ASSERT_FALSE(info.error().frames().empty());
    EXPECT_TRUE(info.error().frames().back().message.ends_with(" in LandblockInfo")) << length;
  }
}

}  // namespace
}  // namespace ostrevane::dat
