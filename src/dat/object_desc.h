// One kind of scenery object of a scene: which model, its base offset, how often it is placed
// and the displacement, scale, rotation and slope limits the bake applies. 76 bytes.
#pragma once

#include <cstdint>
#include <expected>

#include "dat/frame.h"

namespace ostrevane::dat {

struct ObjectDesc {
  std::uint32_t object_id = 0;  // 0x01xxxxxx graphics object or 0x02xxxxxx setup model
  Frame frame;                  // origin x and y are the base offset inside the cell
  float frequency = 0.0f;
  float displace_x = 0.0f;
  float displace_y = 0.0f;
  float min_scale = 0.0f;
  float max_scale = 0.0f;
  float max_rotation = 0.0f;  // degrees
  float min_slope = 0.0f;
  float max_slope = 0.0f;
  std::uint32_t extra_word_1 = 0;
  std::uint32_t extra_word_2 = 0;
  std::uint32_t skip_flag = 0;  // nonzero: never placed

  static constexpr std::size_t kSize = 76;

  // Short reads outside `frame` fail without a context frame; a failure inside `frame` carries
  // the graphics Frame's frames.
  static std::expected<ObjectDesc, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const ObjectDesc&, const ObjectDesc&) = default;
};

}  // namespace ostrevane::dat
