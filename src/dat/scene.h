// A scene of the portal archive: the list of object kinds placed around a terrain vertex whose
// terrain selects it. 8 + 76n bytes.
#pragma once

#include <cstdint>
#include <expected>
#include <vector>

#include "dat/object_desc.h"

namespace ostrevane::dat {

struct Scene {
  std::uint32_t id = 0;
  std::vector<ObjectDesc> objects;  // the position is the bake's source_obj_idx

  static std::expected<Scene, ParseError> unpack(ByteCursor& cursor);

  friend bool operator==(const Scene&, const Scene&) = default;
};

}  // namespace ostrevane::dat
