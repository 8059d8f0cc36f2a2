#include "dat/scene.h"

#include "dat/list_reader.h"
#include "dat/try.h"

namespace ostrevane::dat {

std::expected<Scene, ParseError> Scene::unpack(ByteCursor& cursor) {
  Scene scene;
  OSTREVANE_TRY(scene.id, cursor.read_u32());
  OSTREVANE_TRY(scene.objects, read_counted_list(cursor, ObjectDesc::kSize, ObjectDesc::unpack));
  return scene;
}

}  // namespace ostrevane::dat
