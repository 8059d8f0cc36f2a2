// One placement as one line of JSON: twelve members in a fixed order, no spaces.
#pragma once

#include <string>

#include "scenery/bake_landblock.h"

namespace ostrevane::determinism {

// {"obj_id":"0x0000001A","x":19.000000,...,"source_obj_idx":0}
std::string placement_line(const scenery::Placement& placement);

// A float as the lines write it: six decimals rounded from the exact binary value (ties to
// even), zero of either sign as 0.000000, non-finite values as NaN, inf and -inf.
void append_json_float(std::string& out, float value);

}  // namespace ostrevane::determinism
