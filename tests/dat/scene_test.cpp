#include "dat/scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "dat/field_reader.h"
#include "test_support.h"
#include "write/scene_encoder.h"

namespace ostrevane::dat {
namespace {

using test::every_prefix_fails;
using test::parse_fails;

constexpr const char* kShort = "failed to fill whole buffer";

ObjectDesc object(std::uint32_t object_id, float frequency) {
  ObjectDesc desc;
  desc.object_id = object_id;
  desc.frame = Frame{{12.0f, -3.5f, 0.25f}, {0.0f, 0.0f, 0.0f, 1.0f}};
  desc.frequency = frequency;
  desc.displace_x = 4.0f;
  desc.displace_y = 0.0f;
  desc.min_scale = 0.8f;
  desc.max_scale = 1.2f;
  desc.max_rotation = 360.0f;
  desc.min_slope = 0.0f;
  desc.max_slope = 0.5f;
  desc.extra_word_1 = 0xCAFEF00D;
  desc.extra_word_2 = 2;
  desc.skip_flag = 0;
  return desc;
}

Scene sample_scene() {
  Scene scene{0x12000042, {object(0x01000010, 0.25f), object(0x02000020, 1.0f)}};
  scene.objects[1].skip_flag = 1;
  return scene;
}

TEST(ObjectDesc, FieldsAtTheirOffsets) {
  write::ByteWriter out;
  out.u32(0x02000005);                                 // 0: object_id
  for (int i = 1; i <= 7; ++i) out.f32(float(i));      // 4: origin x y z, orientation w x y z
  for (int i = 8; i <= 15; ++i) out.f32(float(i));     // 32: frequency .. max_slope
  for (std::uint32_t w : {16u, 17u, 18u}) out.u32(w);  // 64: extra words, skip_flag
  ASSERT_EQ(out.size(), ObjectDesc::kSize);
  ByteCursor cursor(out.bytes());
  const auto desc = ObjectDesc::unpack(cursor);
  ASSERT_TRUE(desc);
  EXPECT_EQ(desc->object_id, 0x02000005u);
  EXPECT_EQ(desc->frame, (Frame{{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f, 7.0f}}));
  EXPECT_EQ(desc->frequency, 8.0f);
  EXPECT_EQ(desc->displace_x, 9.0f);
  EXPECT_EQ(desc->displace_y, 10.0f);
  EXPECT_EQ(desc->min_scale, 11.0f);
  EXPECT_EQ(desc->max_scale, 12.0f);
  EXPECT_EQ(desc->max_rotation, 13.0f);
  EXPECT_EQ(desc->min_slope, 14.0f);
  EXPECT_EQ(desc->max_slope, 15.0f);
  EXPECT_EQ(desc->extra_word_1, 16u);
  EXPECT_EQ(desc->extra_word_2, 17u);
  EXPECT_EQ(desc->skip_flag, 18u);
  EXPECT_EQ(cursor.position(), ObjectDesc::kSize);
}

TEST(Scene, RoundTripIgnoresTrailingBytes) {
  const Scene scene = sample_scene();
  std::vector<std::uint8_t> bytes = write::encode_scene(scene);
  ASSERT_EQ(bytes.size(), 8 + 2 * ObjectDesc::kSize);
  bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF});
  ByteCursor cursor(bytes);
  const auto back = Scene::unpack(cursor);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, scene);
  EXPECT_EQ(cursor.position(), 8 + 2 * ObjectDesc::kSize);
}

TEST(Scene, NoObjectsIsEightBytes) {
  const std::vector<std::uint8_t> bytes = {0x01, 0x00, 0x00, 0x12, 0, 0, 0, 0};
  ByteCursor cursor(bytes);
  const auto scene = Scene::unpack(cursor);
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->id, 0x12000001u);
  EXPECT_TRUE(scene->objects.empty());
}

TEST(Scene, ShortRecordsFailWithTheirErrors) {
  const std::vector<std::uint8_t> bytes = write::encode_scene(sample_scene());
  // One byte short: skip_flag of the last object, with no frame.
  ByteCursor short_cursor(test::prefix(bytes, bytes.size() - 1));
  EXPECT_TRUE(parse_fails(Scene::unpack(short_cursor), kShort));
  // Cut inside the first object's frame: the graphics Frame's frames come out unchanged.
  ByteCursor frame_cursor(test::prefix(bytes, 8 + 4 + 27));
  const auto in_frame = Scene::unpack(frame_cursor);
  ASSERT_TRUE(parse_fails(
      in_frame, kShort,
      {"While parsing field 'z' in Quaternion", "While parsing field 'orientation' in Frame"}));
  EXPECT_EQ(in_frame.error().frames()[1].source, kGraphicsSource);
  EXPECT_TRUE(every_prefix_fails(bytes, Scene::unpack, /*rewinds=*/false));
}

}  // namespace
}  // namespace ostrevane::dat
