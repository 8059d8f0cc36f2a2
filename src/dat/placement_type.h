// A placement of a setup model: one frame per part and the animation hooks fired in it. Hooks
// are kept as raw bytes; the reader knows only how long each hook type's body is.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <vector>

#include "dat/frame.h"

namespace ostrevane::dat {

// Hook types run from 0 to kMaxAnimationHookType; any other type is an error.
inline constexpr std::uint32_t kMaxAnimationHookType = 0x1A;
// The one hook type whose body length varies: a byte, a u16 word and, when that word has its
// top bit set, a second u16 word.
inline constexpr std::uint32_t kVariableHookType = 0x05;

// The body length of a hook type whose body is fixed; nothing for type 0x05 and for types
// above kMaxAnimationHookType.
std::optional<std::size_t> animation_hook_body_size(std::uint32_t hook_type) noexcept;

// A hook is `hook_type`, `param`, a body and as many alignment bytes as make the whole hook a
// multiple of 4 bytes long. Only type 0x05 ever needs alignment (1 or 3 bytes).
struct AnimationHook {
  std::uint32_t hook_type = 0;
  std::uint32_t param = 0;
  std::vector<std::uint8_t> payload;  // the body, then the alignment bytes, as they were stored

  friend bool operator==(const AnimationHook&, const AnimationHook&) = default;
};

struct PlacementType {
  std::vector<Frame> frames;  // exactly one per part of the setup model; no count of its own
  std::vector<AnimationHook> hooks;

  // Reads `num_parts` graphics frames, then a u32 hook count and the hooks. Short reads fail with
  // "failed to fill whole buffer" (frames with their own context frames, hooks without). A hook
  // type above 0x1A fails with "Unsupported AnimationHook type: 0x{type:08X}" at the position
  // just after `param`. Reservations are bounded by the bytes left.
  static std::expected<PlacementType, ParseError> read(ByteCursor& cursor, std::uint32_t num_parts);

  friend bool operator==(const PlacementType&, const PlacementType&) = default;
};

}  // namespace ostrevane::dat
