#include "dat/object_desc.h"

#include "dat/try.h"

namespace ostrevane::dat {

std::expected<ObjectDesc, ParseError> ObjectDesc::unpack(ByteCursor& cursor) {
  ObjectDesc desc;
  OSTREVANE_TRY(desc.object_id, cursor.read_u32());
  OSTREVANE_TRY(desc.frame, Frame::unpack(cursor, kGraphicsSource));
  OSTREVANE_TRY(desc.frequency, cursor.read_f32());
  OSTREVANE_TRY(desc.displace_x, cursor.read_f32());
  OSTREVANE_TRY(desc.displace_y, cursor.read_f32());
  OSTREVANE_TRY(desc.min_scale, cursor.read_f32());
  OSTREVANE_TRY(desc.max_scale, cursor.read_f32());
  OSTREVANE_TRY(desc.max_rotation, cursor.read_f32());
  OSTREVANE_TRY(desc.min_slope, cursor.read_f32());
  OSTREVANE_TRY(desc.max_slope, cursor.read_f32());
  OSTREVANE_TRY(desc.extra_word_1, cursor.read_u32());
  OSTREVANE_TRY(desc.extra_word_2, cursor.read_u32());
  OSTREVANE_TRY(desc.skip_flag, cursor.read_u32());
  return desc;
}

}  // namespace ostrevane::dat
