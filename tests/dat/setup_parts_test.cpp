#include "dat/setup_parts.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

CylSphere sample_cyl() { return {{1.5f, -2.0f, 3.25f}, 0.75f, 4.0f}; }

LightInfo sample_light() {
  return {{{1, 2, 3}, {0.5f, 0.5f, -0.5f, 0.5f}}, 0xFF80FF40, 1.25f, 7.5f, 0.3f};
}

LocationType sample_location() { return {7, {{-4, 5, 6}, {0, 1, 0, 0}}}; }

template <class Record>
std::vector<std::uint8_t> encoded(const Record& record) {
  write::ByteWriter out;
  write::encode(out, record);
  return out.take();
}

TEST(CylSphere, RoundTripsThroughItsEncoder) {
  const auto bytes = encoded(sample_cyl());
  ASSERT_EQ(bytes.size(), CylSphere::kSize);
  const auto parsed = test::parse_all(bytes, CylSphere::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, sample_cyl());
}

TEST(CylSphere, CutInHeightNamesHeightAndRewinds) {
  // Four bytes of something else first, so the rewind target is not 0.
  write::ByteWriter out;
  out.u32(0xDEADBEEF);
  write::encode(out, sample_cyl());
  auto bytes = out.take();
  bytes.resize(4 + 18);  // origin and radius whole, height cut after two bytes
  ByteCursor cursor(bytes);
  cursor.skip(4);
  const auto parsed = CylSphere::unpack(cursor);
  EXPECT_TRUE(parse_fails(parsed, kShortRead, {"While parsing field 'height' in CylSphere"}));
  EXPECT_EQ(cursor.position(), 4u);
  const ContextFrame& frame = parsed.error().frames()[0];
  EXPECT_EQ(frame.source, "crates/ostrevane-dat/src/file_type/setup_model");
  EXPECT_EQ(frame.line, CylSphere::height_line);
}

TEST(LightInfo, RoundTripsThroughItsEncoder) {
  const auto bytes = encoded(sample_light());
  ASSERT_EQ(bytes.size(), LightInfo::kSize);
  const auto parsed = test::parse_all(bytes, LightInfo::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, sample_light());
}

TEST(LightInfo, FailureInsideItsFrameCarriesEveryLevel) {
  auto bytes = encoded(sample_light());
  bytes.resize(27);  // the frame's quaternion z is cut
  ByteCursor cursor(bytes);
  const auto parsed = LightInfo::unpack(cursor);
  EXPECT_TRUE(parse_fails(
      parsed, kShortRead,
      {"While parsing field 'z' in Quaternion", "While parsing field 'orientation' in Frame",
       "While parsing field 'viewer_space_location' in LightInfo"}));
  EXPECT_EQ(parsed.error().frames()[1].source, "crates/ostrevane-dat/src/graphics");
  EXPECT_EQ(cursor.position(), 0u);
}

TEST(LocationType, RoundTripsThroughItsEncoder) {
  const auto bytes = encoded(sample_location());
  ASSERT_EQ(bytes.size(), LocationType::kSize);
  const auto parsed = test::parse_all(bytes, LocationType::unpack);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, sample_location());
}

// Every strict prefix fails with a short read whose outermost frame names the record, and leaves
// the cursor at the record's start.
template <class Record>
void expect_every_prefix_fails(const std::vector<std::uint8_t>& bytes, std::string_view record) {
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    ByteCursor cursor(std::span<const std::uint8_t>(bytes).first(length));
    const auto result = Record::unpack(cursor);
    ASSERT_FALSE(result.has_value()) << length;
    EXPECT_EQ(result.error().root_text(), kShortRead);
    ASSERT_FALSE(result.error().frames().empty());
    EXPECT_TRUE(result.error().frames().back().message.ends_with(record)) << length;
    EXPECT_EQ(cursor.position(), 0u) << length;
  }
}

TEST(SetupParts, EveryTruncationFailsNamingTheRecordAndRewinds) {
  expect_every_prefix_fails<CylSphere>(encoded(sample_cyl()), "in CylSphere");
  expect_every_prefix_fails<LightInfo>(encoded(sample_light()), "in LightInfo");
  expect_every_prefix_fails<LocationType>(encoded(sample_location()), "in LocationType");
}

}  // namespace
}  // namespace ostrevane::dat
