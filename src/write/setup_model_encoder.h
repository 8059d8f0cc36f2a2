// Encoders of the setup model and its part records, mirroring SetupModel::unpack record for
// record. Keyed maps are written sorted by key, so equal records give equal bytes.
//
// Counts that the record keeps beside its lists must agree with them (checked by assertions):
// every per-part list present by `flags` and every placement's `frames` hold one entry per part.
// A default id that is present with value 0 is written as 0 and so reads back as absent.
#pragma once

#include <cstdint>
#include <vector>

#include "dat/placement_type.h"
#include "dat/setup_model.h"
#include "dat/setup_parts.h"
#include "write/byte_writer.h"
#include "write/geometry_encoder.h"

namespace ostrevane::write {

void encode(ByteWriter& out, const dat::CylSphere& cyl);
void encode(ByteWriter& out, const dat::LightInfo& light);
void encode(ByteWriter& out, const dat::LocationType& location);
// `hook_type`, `param`, then the payload as held (body and alignment bytes).
void encode(ByteWriter& out, const dat::AnimationHook& hook);
// The frames without a count, then the hook count and the hooks.
void encode(ByteWriter& out, const dat::PlacementType& placement);
void encode(ByteWriter& out, const dat::SetupModel& model);

std::vector<std::uint8_t> encode_setup_model(const dat::SetupModel& model);

}  // namespace ostrevane::write
