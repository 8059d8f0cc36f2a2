#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "dat/field_reader.h"
#include "dat/frame.h"
#include "math/plane.h"
#include "math/quaternion.h"
#include "math/sphere.h"
#include "math/vector3.h"
#include "test_support.h"
#include "write/geometry_encoder.h"

namespace ostrevane {
namespace {

using dat::ByteCursor;
using test::every_prefix_fails;
using test::parse_fails;

constexpr const char* kShort = "failed to fill whole buffer";

std::vector<std::uint8_t> f32_bytes(std::initializer_list<float> values) {
  write::ByteWriter out;
  for (float v : values) out.f32(v);
  return out.take();
}

TEST(Quaternion, StoredScalarFirst) {
  const std::vector<std::uint8_t> bytes = {
      0x00, 0x00, 0x80, 0x3F,  // w = 1
      0x00, 0x00, 0x00, 0x00,  // x
      0x00, 0x00, 0x00, 0x00,  // y
      0x00, 0x00, 0x00, 0x00,  // z
  };
  ByteCursor cursor(bytes);
  const auto q = math::Quaternion::unpack(cursor);
  ASSERT_TRUE(q);
  EXPECT_EQ(*q, (math::Quaternion{1.0f, 0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(cursor.position(), 16u);
}

TEST(Vector3, FiveBytesFailOnYAndRewind) {
  const std::vector<std::uint8_t> bytes = {0, 0, 0x80, 0x3F, 0};
  ByteCursor cursor(bytes);
  const auto v = math::Vector3::unpack(cursor);
  EXPECT_TRUE(parse_fails(v, kShort, {"While parsing field 'y' in Vector3"}));
  EXPECT_EQ(v.error().frames()[0].source, dat::kMathSource);
  EXPECT_EQ(v.error().frames()[0].line, math::Vector3::y_line);
  EXPECT_EQ(cursor.position(), 0u);
}

TEST(Frame, TwentySevenBytesFailInOrientationAndRewind) {
  for (const auto source : {dat::kGraphicsSource, dat::kLandblockSource}) {
    SCOPED_TRACE(source);
    // Four bytes in front: the cursor must come back to where the Frame starts, not to 0.
    std::vector<std::uint8_t> bytes(4 + 27, 0);
    ByteCursor cursor(bytes);
    cursor.skip(4);
    const auto frame = dat::Frame::unpack(cursor, source);
    ASSERT_TRUE(parse_fails(
        frame, kShort,
        {"While parsing field 'z' in Quaternion", "While parsing field 'orientation' in Frame"}));
    const auto frames = frame.error().frames();
    EXPECT_EQ(frames[0].source, dat::kMathSource);
    EXPECT_EQ(frames[0].line, math::Quaternion::z_line);
    EXPECT_EQ(frames[1].source, source);
    EXPECT_EQ(frames[1].line, dat::Frame::orientation_line);
    EXPECT_EQ(cursor.position(), 4u);
  }
}

TEST(Plane, ReadsSixteenBytesWithDLast) {
  const auto bytes = f32_bytes({0.0f, 0.0f, 1.0f, -2.5f, 9.0f});
  ByteCursor cursor(bytes);
  const auto plane = math::Plane::unpack(cursor);
  ASSERT_TRUE(plane);
  EXPECT_EQ(*plane, (math::Plane{{0.0f, 0.0f, 1.0f}, -2.5f}));
  EXPECT_EQ(cursor.position(), 16u);
}

TEST(Geometry, NanAndInfinityBitPatternsUnchanged) {
  const std::vector<std::uint32_t> patterns = {
      0x7FC00000,  // quiet NaN
      0x7F800001,  // signalling NaN
      0xFFC12345,  // negative NaN with payload
      0x7F800000,  // infinity
      0x80000000,  // negative zero
      0x00000001,  // smallest subnormal
      0xFF800000,  // negative infinity
  };
  write::ByteWriter in;
  for (std::uint32_t p : patterns) in.u32(p);
  const std::vector<std::uint8_t> bytes = in.take();

  ByteCursor cursor(bytes);
  const auto origin = math::Vector3::unpack(cursor);
  const auto rotation = math::Quaternion::unpack(cursor);
  ASSERT_TRUE(origin && rotation);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(origin->y), patterns[1]);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(rotation->x), patterns[4]);

  write::ByteWriter out;
  write::encode(out, *origin);
  write::encode(out, *rotation);
  EXPECT_EQ(out.bytes(), bytes);
}

// Every record: the encoder's bytes read back to the same value, and every cut-off of them
// fails with a short read and leaves the cursor where the record started.
TEST(Geometry, RoundTripsAndEveryPrefixFails) {
  const math::Vector3 v{1.5f, -2.0f, 1e30f};
  const math::Quaternion q{0.5f, -0.5f, 0.25f, 0.75f};
  const math::Plane plane{{0.0f, 1.0f, 0.0f}, 3.0f};
  const math::Sphere sphere{{4.0f, 5.0f, 6.0f}, 7.0f};
  const dat::Frame frame{{10.0f, 20.0f, 30.0f}, {0.0f, 0.0f, 0.0f, 1.0f}};
  const dat::Vec2Duv uv{0.125f, 0.875f};

  auto check = [](const auto& value, std::size_t size, auto read) {
    write::ByteWriter out;
    write::encode(out, value);
    ASSERT_EQ(out.size(), size);
    ByteCursor cursor(out.bytes());
    const auto back = read(cursor);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, value);
    EXPECT_EQ(cursor.position(), size);
    EXPECT_TRUE(every_prefix_fails(out.bytes(), read, /*rewinds=*/true));
  };
  check(v, 12, math::Vector3::unpack);
  check(q, 16, math::Quaternion::unpack);
  check(plane, 16, math::Plane::unpack);
  check(sphere, 16, math::Sphere::unpack);
  check(frame, 28, [](ByteCursor& c) { return dat::Frame::unpack(c, dat::kGraphicsSource); });
  check(uv, 8, dat::Vec2Duv::unpack);
}

}  // namespace
}  // namespace ostrevane
