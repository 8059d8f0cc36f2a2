// Decompression of compressed archive entries: a u32 declared length, then groups of one flag
// byte (most significant bit first) and up to eight tokens: a literal byte (bit clear) or a
// two-byte back-reference (bit set; distance b0 + 256·(b1 >> 4) in 1..4095, 0 ends the stream;
// length (b1 & 0x0F) + 2).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ostrevane::dat {

// Never fails: damaged input yields a shorter output. Input shorter than 4 bytes is returned
// unchanged. The output never exceeds the declared length, and storage is reserved only up to
// what the token stream could produce.
std::vector<std::uint8_t> decompress_lrs(std::span<const std::uint8_t> stored);

}  // namespace ostrevane::dat
