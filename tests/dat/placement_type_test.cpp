#include "dat/placement_type.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "write/model_builders.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::dat {
namespace {

using test::kShortRead;
using test::parse_fails;

std::vector<std::uint8_t> bytes_of(std::initializer_list<std::uint8_t> list) { return list; }

// The bytes of a placement without frames: the hook count, then each hook's raw bytes.
std::vector<std::uint8_t> hooks_only(const std::vector<std::vector<std::uint8_t>>& hooks) {
  write::ByteWriter out;
  out.u32(static_cast<std::uint32_t>(hooks.size()));
  for (const auto& hook : hooks) out.raw(hook);
  return out.take();
}

std::vector<std::uint8_t> hook_bytes(std::uint32_t type, std::uint32_t param,
                                     const std::vector<std::uint8_t>& rest) {
  write::ByteWriter out;
  out.u32(type);
  out.u32(param);
  out.raw(rest);
  return out.take();
}

TEST(PlacementType, NoPartsAndNoHooksIsTheHookCountAlone) {
  const auto bytes = hooks_only({});
  const auto parsed =
      test::parse_all(bytes, [](ByteCursor& c) { return PlacementType::read(c, 0); });
  ASSERT_TRUE(parsed.has_value());
  EXPECT_TRUE(parsed->frames.empty());
  EXPECT_TRUE(parsed->hooks.empty());
}

TEST(PlacementType, ReadsOneFramePerPartThenTheHooks) {
  const PlacementType placement{
      .frames = {Frame{{1, 2, 3}, {}}, Frame{{4, 5, 6}, {0, 0, 1, 0}}, Frame{}},
      .hooks = {write::make_hook(0x03, 9, std::vector<std::uint8_t>(28, 0xAB)),
                write::make_hook(0x05, 1, {0x07, 0x34, 0x92, 0x78, 0x56})}};
  write::ByteWriter out;
  write::encode(out, placement);
  const auto bytes = out.take();
  EXPECT_EQ(bytes.size(), 3 * 28 + 4 + 36 + 16);
  const auto parsed =
      test::parse_all(bytes, [](ByteCursor& c) { return PlacementType::read(c, 3); });
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, placement);
}

TEST(AnimationHook, BodyAndAlignmentByType) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> hook;  // as stored
    std::size_t payload_size;
  };
  const Case cases[] = {
      {"0x00 has no body", hook_bytes(0x00, 1, {}), 0},
      {"0x04 has no body", hook_bytes(0x04, 1, {}), 0},
      {"0x11 has no body", hook_bytes(0x11, 1, {}), 0},
      // 07, then the word 0x1234 (top bit clear), then one alignment byte.
      {"0x05 short form", hook_bytes(0x05, 1, {0x07, 0x34, 0x12, 0xEE}), 4},
      // 07, then the word 0x9234 (top bit set), a second word 0x5678, three alignment bytes.
      {"0x05 long form", hook_bytes(0x05, 1, {0x07, 0x34, 0x92, 0x78, 0x56, 0xE1, 0xE2, 0xE3}), 8},
      {"0x0D", hook_bytes(0x0D, 1, std::vector<std::uint8_t>(40, 0x5A)), 40},
      {"0x1A", hook_bytes(0x1A, 1, std::vector<std::uint8_t>(40, 0xA5)), 40},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto bytes = hooks_only({test.hook});
    const auto parsed =
        test::parse_all(bytes, [](ByteCursor& c) { return PlacementType::read(c, 0); });
    ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
    ASSERT_EQ(parsed->hooks.size(), 1u);
    const AnimationHook& hook = parsed->hooks[0];
    EXPECT_EQ(hook.param, 1u);
    // The payload is the body and the alignment bytes exactly as stored.
    EXPECT_EQ(hook.payload.size(), test.payload_size);
    EXPECT_TRUE(std::equal(hook.payload.begin(), hook.payload.end(), test.hook.begin() + 8));
  }
}

TEST(AnimationHook, EveryTypeReadsItsBodyLengthAndRoundTrips) {
  for (std::uint32_t type = 0; type <= kMaxAnimationHookType; ++type) {
    SCOPED_TRACE(type);
    std::vector<std::uint8_t> body =
        type == kVariableHookType
            ? std::vector<std::uint8_t>{1, 2, 3}
            : std::vector<std::uint8_t>(*animation_hook_body_size(type), 0x11);
    const PlacementType placement{
        .frames = {},
        .hooks = {write::make_hook(type, 0x22, body), write::make_hook(0x01, 0x33, {9, 9, 9, 9})}};
    write::ByteWriter out;
    write::encode(out, placement);
    const auto bytes = out.take();
    const auto parsed =
        test::parse_all(bytes, [](ByteCursor& c) { return PlacementType::read(c, 0); });
    ASSERT_TRUE(parsed.has_value()) << parsed.error().report();
    EXPECT_EQ(*parsed, placement);
  }
  EXPECT_EQ(animation_hook_body_size(0x03), 28u);
  EXPECT_EQ(animation_hook_body_size(0x05), std::nullopt);
  EXPECT_EQ(animation_hook_body_size(0x1B), std::nullopt);
}

TEST(AnimationHook, UnsupportedTypeFailsJustAfterParam) {
  struct Case {
    std::uint32_t type;
    const char* message;
  };
  const Case cases[] = {
      {0x1B, "Unsupported AnimationHook type: 0x0000001B at 0x28"},
      {0xFFFFFFFF, "Unsupported AnimationHook type: 0xFFFFFFFF at 0x28"},
  };
  for (const Case& test : cases) {
    // One frame (28 bytes), the hook count, then the bad hook's type and param (ending at 40);
    // no body.
    write::ByteWriter out;
    write::encode(out, Frame{});
    out.u32(1);
    out.u32(test.type);
    out.u32(0);
    const auto bytes = out.take();
    ByteCursor cursor(bytes);
    EXPECT_TRUE(parse_fails(PlacementType::read(cursor, 1), test.message));
  }
}

TEST(AnimationHook, DataEndingInsideTheAlignmentFails) {
  // A 0x05 hook in the long form needs three alignment bytes; only two are there.
  const auto bytes = hooks_only({hook_bytes(0x05, 0, {0x07, 0x34, 0x92, 0x78, 0x56, 0, 0})});
  ByteCursor cursor(bytes);
  EXPECT_TRUE(parse_fails(PlacementType::read(cursor, 0), kShortRead));
}

TEST(PlacementType, FrameFailuresCarryTheFrameContext) {
  const auto bytes = bytes_of({0, 0, 0x80, 0x3F});  // the first frame's origin x only
  ByteCursor cursor(bytes);
  EXPECT_TRUE(
      parse_fails(PlacementType::read(cursor, 2), kShortRead,
                  {"While parsing field 'y' in Vector3", "While parsing field 'origin' in Frame"}));
}

TEST(PlacementType, HugeCountsEndInTheShortRead) {
  // A part count near 2^32 with four bytes left, and a hook count of 0xFFFFFFFF with one hook
  // present.
  const auto few = hooks_only({});
  ByteCursor parts_cursor(few);
  EXPECT_TRUE(
      parse_fails(PlacementType::read(parts_cursor, 0xFFFFFFFF), kShortRead,
                  {"While parsing field 'y' in Vector3", "While parsing field 'origin' in Frame"}));

  auto bytes = hooks_only({hook_bytes(0x00, 0, {})});
  bytes[0] = bytes[1] = bytes[2] = bytes[3] = 0xFF;
  ByteCursor hooks_cursor(bytes);
  EXPECT_TRUE(parse_fails(PlacementType::read(hooks_cursor, 0), kShortRead));
}

TEST(PlacementType, EveryTruncationFailsCleanly) {
  const PlacementType placement{
      .frames = {Frame{{1, 2, 3}, {}}, Frame{}},
      .hooks = {write::make_hook(0x05, 1, {0x07, 0x34, 0x12}),
                write::make_hook(0x05, 2, {0x07, 0x34, 0x92, 0x78, 0x56}),
                write::make_hook(0x0D, 3, std::vector<std::uint8_t>(40, 1))}};
  write::ByteWriter out;
  write::encode(out, placement);
  const auto bytes = out.take();
  EXPECT_TRUE(test::every_prefix_short_reads(
      bytes, [](ByteCursor& c) { return PlacementType::read(c, 2); }));
}

}  // namespace
}  // namespace ostrevane::dat
