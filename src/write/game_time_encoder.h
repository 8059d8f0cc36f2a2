// Encoder of the region's time section, mirroring GameTime::unpack. Strings are padded to 4
// counted from the start of the writer's buffer, which must be the start of the region record.
#pragma once

#include "dat/game_time.h"
#include "write/byte_writer.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::Season& season);
// A TimeOfDay flag is written as 1 or 0.
void encode(ByteWriter& out, const dat::GameTime& time);

}  // namespace ostrevane::write
