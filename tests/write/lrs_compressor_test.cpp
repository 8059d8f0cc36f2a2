#include "write/lrs_compressor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dat/lrs.h"

namespace ostrevane::write {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A fixed pseudo-random sequence (xorshift), so that every run tests the same bytes.
Bytes noise(std::size_t size, std::uint32_t state) {
  Bytes out(size);
  for (auto& b : out) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<std::uint8_t>(state);
  }
  return out;
}

// Words drawn from a small vocabulary: repeats at all distances, inside and beyond the window.
Bytes prose(std::size_t size) {
  const char* words[] = {"terrain ",   "scenery ", "block ", "the ",  "of ",
                         "landscape ", "a ",       "tree ",  "rock ", "\n"};
  const Bytes pick = noise(size, 99);
  Bytes out;
  for (std::size_t i = 0; out.size() < size; ++i) {
    const char* w = words[pick[i % pick.size()] % 10];
    out.insert(out.end(), w, w + std::strlen(w));
  }
  out.resize(size);
  return out;
}

// Distances and lengths of the back-references in a stored form, walking its groups.
struct TokenStats {
  std::size_t references = 0;
  std::size_t max_distance = 0;
  std::size_t min_length = 99;
  std::size_t max_length = 0;
};

TokenStats token_stats(const Bytes& stored) {
  TokenStats stats;
  std::size_t pos = 4;
  while (pos < stored.size()) {
    const std::uint8_t flags = stored[pos++];
    for (int bit = 7; bit >= 0 && pos < stored.size(); --bit) {
      if ((flags >> bit & 1) == 0) {
        ++pos;
        continue;
      }
      const std::size_t distance = stored[pos] + 256u * (stored[pos + 1] >> 4);
      const std::size_t length = (stored[pos + 1] & 0x0Fu) + 2;
      pos += 2;
      ++stats.references;
      stats.max_distance = std::max(stats.max_distance, distance);
      stats.min_length = std::min(stats.min_length, length);
      stats.max_length = std::max(stats.max_length, length);
    }
  }
  return stats;
}

TEST(LrsCompressor, EncodesARunAsALiteralAndAnOverlappingCopy) {
  const Bytes six(6, 'a');
  EXPECT_EQ(compress_lrs(six), (Bytes{6, 0, 0, 0, 0x40, 'a', 0x01, 0x03}));
  EXPECT_EQ(compress_lrs(Bytes{}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(compress_lrs(Bytes{'x'}), (Bytes{1, 0, 0, 0, 0x00, 'x'}));
}

TEST(LrsCompressor, RoundTripsThroughTheDecoder) {
  Bytes window_edges = noise(5000, 7);
  // Copies at distance exactly 4095 (reachable) and 4096 (not).
  std::copy_n(window_edges.begin(), 40, window_edges.begin() + 4095);
  std::copy_n(window_edges.begin() + 100, 40, window_edges.begin() + 4196);
  Bytes period3;
  for (int i = 0; i < 1000; ++i) period3.push_back("abc"[i % 3]);
  const std::pair<const char*, Bytes> cases[] = {
      {"two bytes", Bytes{'a', 'b'}}, {"three equal bytes", Bytes(3, 'z')},
      {"long run", Bytes(100000, 0)}, {"period 3", period3},
      {"noise", noise(100000, 1)},    {"prose", prose(120000)},
      {"window edges", window_edges},
  };
  for (const auto& [name, bytes] : cases) {
    const Bytes stored = compress_lrs(bytes);
    EXPECT_EQ(dat::decompress_lrs(stored), bytes) << name;
    const TokenStats stats = token_stats(stored);
    EXPECT_LE(stats.max_distance, 4095u) << name;
    if (stats.references > 0) {
      EXPECT_GE(stats.min_length, 2u) << name;
      EXPECT_LE(stats.max_length, 17u) << name;
    }
  }
}

TEST(LrsCompressor, RepetitiveInputShrinks) {
  // A run costs two bytes per 17 plus a flag byte per eight tokens.
  EXPECT_LT(compress_lrs(Bytes(100000, 0)).size(), 13000u);
  EXPECT_LT(compress_lrs(prose(100000)).size(), 60000u);
  // Incompressible input grows by one flag byte per eight literals at most.
  EXPECT_LE(compress_lrs(noise(80000, 5)).size(), 4u + 80000 + 10000);
}

}  // namespace
}  // namespace ostrevane::write
