// Compression of archive entries into the stored form decompress_lrs reads: a u32 declared
// length, then groups of one flag byte (most significant bit first) and up to eight tokens, each
// a literal byte or a two-byte back-reference of 2..17 bytes into the last 4095 bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ostrevane::write {

// Greedy: at every position the longest back-reference the window offers (at least 2 bytes),
// a literal otherwise. Deterministic; decompress_lrs gives `bytes` back. Inputs are limited to
// 4 GiB - 1 bytes by the u32 length.
std::vector<std::uint8_t> compress_lrs(std::span<const std::uint8_t> bytes);

}  // namespace ostrevane::write
