// GfxObj::unpack over any bytes.
#include <cstddef>
#include <cstdint>

#include "dat/gfx_obj.h"
#include "fuzz/fuzz_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ostrevane::fuzz::AllocationBound bound(size);
  ostrevane::fuzz::parse_record(data, size, [](ostrevane::dat::ByteCursor& cursor) {
    return ostrevane::dat::GfxObj::unpack(cursor);
  });
  return 0;
}
