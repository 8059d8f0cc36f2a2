#include "write/lrs_compressor.h"

#include <algorithm>
#include <cstring>

namespace ostrevane::write {

namespace {

constexpr std::size_t kWindow = 4095;
constexpr std::size_t kMinMatch = 2;
constexpr std::size_t kMaxMatch = 17;
// How many earlier positions with the same two leading bytes are tried: enough for near-optimal
// greedy matches, bounded so that long runs of one byte stay linear.
constexpr int kMaxCandidates = 128;
constexpr std::int32_t kNone = -1;

// Appends tokens in groups of eight behind their flag byte.
class TokenWriter {
 public:
  explicit TokenWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void literal(std::uint8_t byte) {
    begin_token(false);
    out_.push_back(byte);
  }

  void reference(std::size_t distance, std::size_t length) {
    begin_token(true);
    // distance bits 0-7 in b0, bits 8-11 in the high nibble of b1; length - 2 in its low nibble.
    out_.push_back(static_cast<std::uint8_t>(distance & 0xFF));
    out_.push_back(static_cast<std::uint8_t>((distance >> 8) << 4 | (length - kMinMatch)));
  }

 private:
  void begin_token(bool is_reference) {
    if (bit_ == 0) {
      flag_at_ = out_.size();
      out_.push_back(0);
      bit_ = 0x80;
    }
    if (is_reference) out_[flag_at_] |= bit_;
    bit_ >>= 1;
  }

  std::vector<std::uint8_t>& out_;
  std::size_t flag_at_ = 0;
  std::uint8_t bit_ = 0;
};

}  // namespace

std::vector<std::uint8_t> compress_lrs(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  std::vector<std::uint8_t> out;
  out.reserve(4 + n + n / 8 + 1);
  const auto declared = static_cast<std::uint32_t>(n);
  out.resize(4);
  std::memcpy(out.data(), &declared, sizeof declared);

  // Hash chains over the two bytes at each position: head of the latest position per pair, and
  // for each position the previous one with the same pair.
  std::vector<std::int32_t> head(65536, kNone);
  std::vector<std::int32_t> previous(n, kNone);
  auto key_at = [&](std::size_t i) { return bytes[i] | bytes[i + 1] << 8; };
  auto insert = [&](std::size_t i) {
    if (i + 1 >= n) return;
    const int key = key_at(i);
    previous[i] = head[key];
    head[key] = static_cast<std::int32_t>(i);
  };

  TokenWriter tokens(out);
  std::size_t i = 0;
  while (i < n) {
    std::size_t best_length = 0;
    std::size_t best_distance = 0;
    if (i + kMinMatch <= n) {
      const std::size_t limit = std::min(kMaxMatch, n - i);
      std::int32_t candidate = head[key_at(i)];
      for (int tries = 0; candidate != kNone && tries < kMaxCandidates; ++tries) {
        const auto j = static_cast<std::size_t>(candidate);
        if (i - j > kWindow) break;
        // The source may run into the bytes being produced: the decoder copies byte by byte.
        std::size_t length = 0;
        while (length < limit && bytes[j + length] == bytes[i + length]) ++length;
        if (length > best_length) {
          best_length = length;
          best_distance = i - j;
          if (length == limit) break;
        }
        candidate = previous[j];
      }
    }
    if (best_length >= kMinMatch) {
      tokens.reference(best_distance, best_length);
      for (std::size_t k = 0; k < best_length; ++k) insert(i + k);
      i += best_length;
    } else {
      tokens.literal(bytes[i]);
      insert(i);
      ++i;
    }
  }
  return out;
}

}  // namespace ostrevane::write
