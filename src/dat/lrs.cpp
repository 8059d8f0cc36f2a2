#include "dat/lrs.h"

#include <algorithm>
#include <cstring>

namespace ostrevane::dat {

std::vector<std::uint8_t> decompress_lrs(std::span<const std::uint8_t> stored) {
  if (stored.size() < 4) return {stored.begin(), stored.end()};
  std::uint32_t declared = 0;
  std::memcpy(&declared, stored.data(), sizeof declared);
  if (declared == 0) return {};

  const std::span<const std::uint8_t> tokens = stored.subspan(4);
  // A flag byte and eight 17-byte back-references (17 input bytes) give at most 136 bytes.
  const std::uint64_t producible = std::uint64_t{tokens.size()} * 8;
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(declared, producible)));

  std::size_t pos = 0;
  std::uint8_t flags = 0;
  std::uint8_t bit = 0;  // the pending flag bit; 0 when a new flag byte is due
  while (pos < tokens.size()) {
    if (bit == 0) {
      flags = tokens[pos++];
      bit = 0x80;
      if (pos == tokens.size()) break;
    }
    if ((flags & bit) != 0) {
      if (tokens.size() - pos < 2) break;
      const std::uint8_t b0 = tokens[pos];
      const std::uint8_t b1 = tokens[pos + 1];
      pos += 2;
      const std::size_t distance = b0 + 256u * (b1 >> 4);
      const std::size_t length = (b1 & 0x0Fu) + 2;
      // Distance 0 ends the stream; a reference before any output has no source and ends it too.
      if (distance == 0 || out.empty()) break;
      for (std::size_t i = 0; i < length; ++i) {
        // Copied byte by byte so that an overlapping copy repeats what it produces; a distance
        // beyond the output so far reads the first byte.
        const std::size_t source = out.size() > distance ? out.size() - distance : 0;
        out.push_back(out[source]);
        if (out.size() == declared) return out;
      }
    } else {
      out.push_back(tokens[pos++]);
      if (out.size() == declared) return out;
    }
    bit >>= 1;
  }
  return out;
}

}  // namespace ostrevane::dat
