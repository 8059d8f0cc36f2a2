// decompress_lrs over any bytes: it never fails, never writes more than the declared length and
// never reserves more than the token stream could produce.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "dat/lrs.h"
#include "fuzz/allocation_bound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ostrevane::fuzz::AllocationBound bound(size);
  const std::span<const std::uint8_t> stored(data, size);
  const std::vector<std::uint8_t> out = ostrevane::dat::decompress_lrs(stored);
  if (size < 4) {
    if (out.size() != size || (size != 0 && std::memcmp(out.data(), data, size) != 0)) std::abort();
    return 0;
  }
  std::uint32_t declared = 0;
  std::memcpy(&declared, data, sizeof declared);
  // A flag byte and eight two-byte references of 17 bytes: at most 8 bytes out per byte in.
  if (out.size() > declared || out.size() > (size - 4) * 8) std::abort();
  return 0;
}
