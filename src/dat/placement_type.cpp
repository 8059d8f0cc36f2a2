#include "dat/placement_type.h"

#include <array>
#include <string>

#include "dat/strings.h"
#include "dat/try.h"

namespace ostrevane::dat {

namespace {

constexpr std::size_t kHookHeaderSize = 8;  // hook_type, param

// Body bytes by hook type; the entry of the variable type 0x05 is unused.
constexpr std::array<std::uint8_t, kMaxAnimationHookType + 1> kHookBodySizes = {
    0, 4, 4, 28, 0, 0, 4,  16, 12, 16, 12, 16, 8,  40,  // 0x00 - 0x0D
    4, 4, 4, 0,  4, 8, 12, 16, 12, 8,  12, 4,  40,      // 0x0E - 0x1A
};

std::expected<AnimationHook, ParseError> read_hook(ByteCursor& cursor) {
  const std::size_t start = cursor.position();
  AnimationHook hook;
  OSTREVANE_TRY(hook.hook_type, cursor.read_u32());
  OSTREVANE_TRY(hook.param, cursor.read_u32());
  if (hook.hook_type > kMaxAnimationHookType) {
    return std::unexpected(ParseError::custom_failure(
        cursor.position(), "Unsupported AnimationHook type: 0x" + hex_upper(hook.hook_type, 8)));
  }

  if (hook.hook_type == kVariableHookType) {
    OSTREVANE_TRY(const auto head, cursor.read_bytes(3));  // a byte, then the first word
    hook.payload.reserve(8);
    hook.payload.assign(head.begin(), head.end());
    const std::uint16_t word = static_cast<std::uint16_t>(head[1] | head[2] << 8);
    if ((word & 0x8000) != 0) {
      OSTREVANE_TRY(const auto second, cursor.read_bytes(2));
      hook.payload.insert(hook.payload.end(), second.begin(), second.end());
    }
  } else {
    OSTREVANE_TRY(const auto body, cursor.read_bytes(kHookBodySizes[hook.hook_type]));
    hook.payload.assign(body.begin(), body.end());
  }

  // The alignment bytes are part of the stored hook: read them, do not skip them.
  const std::size_t alignment = (4 - (cursor.position() - start) % 4) % 4;
  OSTREVANE_TRY(const auto padding, cursor.read_bytes(alignment));
  hook.payload.insert(hook.payload.end(), padding.begin(), padding.end());
  return hook;
}

}  // namespace

std::optional<std::size_t> animation_hook_body_size(std::uint32_t hook_type) noexcept {
  if (hook_type > kMaxAnimationHookType || hook_type == kVariableHookType) return std::nullopt;
  return kHookBodySizes[hook_type];
}

std::expected<PlacementType, ParseError> PlacementType::read(ByteCursor& cursor,
                                                             std::uint32_t num_parts) {
  PlacementType placement;
  placement.frames.reserve(cursor.reservable(num_parts, sizeof(float) * 7));
  for (std::uint32_t i = 0; i < num_parts; ++i) {
    OSTREVANE_TRY(Frame frame, Frame::unpack(cursor, kGraphicsSource));
    placement.frames.push_back(frame);
  }

  OSTREVANE_TRY(const std::uint32_t hook_count, cursor.read_u32());
  placement.hooks.reserve(cursor.reservable(hook_count, kHookHeaderSize));
  for (std::uint32_t i = 0; i < hook_count; ++i) {
    OSTREVANE_TRY(AnimationHook hook, read_hook(cursor));
    placement.hooks.push_back(std::move(hook));
  }
  return placement;
}

}  // namespace ostrevane::dat
