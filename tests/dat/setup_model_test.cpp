#include "dat/setup_model.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"
#include "write/model_builders.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

std::expected<SetupModel, ParseError> parse(std::span<const std::uint8_t> bytes) {
  ByteCursor cursor(bytes);
  return SetupModel::unpack(cursor);
}

// A model that uses every field: two parts with both per-part lists, two of each map, hooks.
SetupModel full_model() {
  SetupModel model;
  model.id = 0x0200ABCD;
  model.flags = kSetupHasParentIndices | kSetupHasDefaultScales;
  model.parts = {0x01000010, 0x01000011};
  model.parent_indices = {0xFFFFFFFF, 0};
  model.default_scales = {{1, 1, 1}, {0.5f, 2, 1}};
  model.holding_locations = {{1, {0, {{1, 0, 0}, {}}}}, {2, {1, {{0, 1, 0}, {}}}}};
  model.connection_locations = {{0x10, {1, {{0, 0, 1}, {0, 1, 0, 0}}}}};
  model.placement_frames = {
      {0x65, {.frames = {Frame{}, Frame{{0, 0, 2}, {}}}, .hooks = {}}},
      {0x66,
       {.frames = {Frame{{1, 1, 1}, {}}, Frame{}},
        .hooks = {write::make_hook(0x05, 7, {0x07, 0x34, 0x12}),
                  write::make_hook(0x0D, 8, std::vector<std::uint8_t>(40, 3))}}}};
  model.cyl_spheres = {{{0, 0, 0}, 1, 2}, {{1, 1, 0}, 0.5f, 4}};
  model.spheres = {{{0, 0, 1}, 1.5f}};
  model.scalar_1 = 1.0f;
  model.scalar_2 = -2.5f;
  model.scalar_3 = 0.125f;
  model.scalar_4 = 1e10f;
  model.extra_sphere_1 = {{1, 2, 3}, 4};
  model.extra_sphere_2 = {{-1, -2, -3}, 0.5f};
  model.lights = {{3, {{{0, 0, 5}, {}}, 0xFFFFFF00, 1, 10, 0.5f}}};
  model.default_id_1 = 0x03000001;
  model.default_id_3 = 0x04000002;
  model.default_id_5 = 1;
  return model;
}

// The smallest record: no parts, flags 0, every count 0, no default ids.
std::vector<std::uint8_t> smallest_record() {
  SetupModel model;
  model.id = 0x02000001;
  return write::encode_setup_model(model);
}

// Byte offset of the placement count in a record without parts or locations.
constexpr std::size_t kPlacementCountAt = 20;

void put_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

TEST(SetupModel, RoundTripsThroughItsEncoder) {
  const auto bytes = write::encode_setup_model(full_model());
  const auto parsed = test::parse_all(bytes, SetupModel::unpack);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
  EXPECT_EQ(*parsed, full_model());
}

TEST(SetupModel, SmallestRecordIs104BytesAndOneLessFails) {
  auto bytes = smallest_record();
  ASSERT_EQ(bytes.size(), SetupModel::kMinSize);
  const auto parsed = test::parse_all(bytes, SetupModel::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->id, 0x02000001u);
  EXPECT_TRUE(parsed->parts.empty());
  EXPECT_FALSE(parsed->default_id_1.has_value());

  // Trailing bytes are left alone.
  bytes.push_back(0x99);
  ByteCursor cursor(bytes);
  ASSERT_TRUE(SetupModel::unpack(cursor).has_value());
  EXPECT_EQ(cursor.position(), SetupModel::kMinSize);

  bytes.resize(SetupModel::kMinSize - 1);
  EXPECT_TRUE(parse_fails(parse(bytes), kShortRead));
}

TEST(SetupModel, FlagsDecideThePerPartLists) {
  struct Case {
    std::uint32_t flags;
    std::size_t parts;
    std::size_t parent_indices;
    std::size_t default_scales;
  };
  const Case cases[] = {
      {0x0, 2, 0, 0},        {0x1, 2, 2, 0}, {0x2, 2, 0, 2},
      {0x3, 2, 2, 2},        {0x3, 0, 0, 0},  // both lists present but empty: no bytes
      {0x4, 2, 0, 0},                         // undefined bits only: as flags 0
      {0x80000000, 2, 0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.flags);
    SetupModel model;
    model.flags = test.flags;
    model.parts.assign(test.parts, 0x01000001);
    model.parent_indices.assign(test.parent_indices, 5);
    model.default_scales.assign(test.default_scales, math::Vector3{1, 2, 3});
    const auto bytes = write::encode_setup_model(model);
    EXPECT_EQ(bytes.size(), SetupModel::kMinSize + 4 * (test.parts + test.parent_indices) +
                                12 * test.default_scales);
    const auto parsed = test::parse_all(bytes, SetupModel::unpack);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, model);
  }
}

TEST(SetupModel, NegativePlacementCountFailsAfterTheCount) {
  struct Case {
    std::uint32_t stored;
    const char* message;
  };
  const Case cases[] = {
      {0xFFFFFFFF, "SetupModel 0x0000ABCD declared negative placement count -1 at 0x18"},
      {0x80000000, "SetupModel 0x0000ABCD declared negative placement count -2147483648 at 0x18"},
  };
  for (const Case& test : cases) {
    auto bytes = smallest_record();
    put_u32(bytes, 0, 0x0000ABCD);
    put_u32(bytes, kPlacementCountAt, test.stored);
    const auto parsed = parse(bytes);
    EXPECT_TRUE(parse_fails(parsed, test.message));
    EXPECT_EQ(parsed.error().root_kind(), ParseError::Kind::CustomFailure);
  }
}

TEST(SetupModel, PlacementCountBeyondTheEntriesFails) {
  // Count 3, then one complete entry (key, hook count 0), then the rest of the record.
  write::ByteWriter out;
  out.u32(0x02000001);
  out.u32(0);
  out.u32(0);  // num_parts
  out.u32(0);  // holding locations
  out.u32(0);  // connection locations
  out.i32(3);
  out.u32(0x65);
  out.u32(0);  // no hooks
  const auto bytes = out.take();
  EXPECT_TRUE(parse_fails(parse(bytes), kShortRead));
}

TEST(SetupModel, LaterKeyReplacesEarlierOne) {
  // Two holding locations under key 7: the map keeps the second.
  write::ByteWriter out;
  out.u32(0x02000001);
  out.u32(0);
  out.u32(0);
  out.u32(2);
  out.u32(7);
  write::encode(out, LocationType{1, {}});
  out.u32(7);
  write::encode(out, LocationType{2, {}});
  const auto tail = smallest_record();
  out.raw(std::span(tail).subspan(16));  // everything after the holding-location count
  const auto bytes = out.take();
  const auto parsed = test::parse_all(bytes, SetupModel::unpack);
  ASSERT_TRUE(parsed.has_value());
  ASSERT_EQ(parsed->holding_locations.size(), 1u);
  EXPECT_EQ(parsed->holding_locations.at(7).part_id, 2u);
}

TEST(SetupModel, DefaultIdZeroIsAbsentAndOneIsPresent) {
  auto bytes = smallest_record();
  put_u32(bytes, SetupModel::kMinSize - 20, 0);  // default_id_1
  put_u32(bytes, SetupModel::kMinSize - 16, 1);  // default_id_2
  const auto parsed = parse(bytes);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->default_id_1, std::nullopt);
  EXPECT_EQ(parsed->default_id_2, 1u);
}

TEST(SetupModel, HugeCountsEndInTheShortRead) {
  // Each count set to a value far beyond the bytes present; none may reserve for it.
  struct Case {
    const char* name;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"num_parts", 8, 0xFFFFFFFF},
      {"holding locations", 12, 0xFFFFFFFF},
      {"connection locations", 16, 0xFFFFFFFF},
      {"placements", 20, 0x7FFFFFFF},
      {"cyl_spheres", 24, 0xFFFFFFFF},
      {"spheres", 28, 0xFFFFFFFF},
      {"lights", 80, 0xFFFFFFFF},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    auto bytes = smallest_record();
    put_u32(bytes, test.at, test.value);
    const auto parsed = parse(bytes);
    ASSERT_FALSE(parsed.has_value());
    EXPECT_EQ(parsed.error().root_text(), kShortRead);
  }
}

TEST(SetupModel, EveryTruncationFailsCleanly) {
  const auto bytes = write::encode_setup_model(full_model());
  EXPECT_TRUE(test::every_prefix_short_reads(bytes, SetupModel::unpack));
}

TEST(SetupModel, BuilderMakesAReadableModel) {
  const dat::Frame lifted{{0, 0, 1}, {}};
  const SetupModel model = write::SetupModelBuilder(0x02000100)
                               .add_part(0x01000001)
                               .add_part(0x01000002, lifted, {2, 2, 2})
                               .build();
  const auto parsed = test::parse_all(write::encode_setup_model(model), SetupModel::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, model);
  EXPECT_EQ(parsed->parts, (std::vector<std::uint32_t>{0x01000001, 0x01000002}));
  EXPECT_EQ(parsed->placement_frames.at(0).frames[1], lifted);
}

}  // namespace
}  // namespace ostrevane::dat
