// The input of the bake fuzz target, and how the corpus generator writes one:
//
//   u8  options      bit 0: use the slope limits and the bilinear height
//   u16 landblock id
//   u32 n, then n bytes of the region record
//   u32 n, then n bytes of the landblock's terrain record
//   u32 n, then n bytes of its landblock info (buildings)
//   then any number of (u32 file id, u32 n, n bytes): graphics objects (0x01...), setup models
//   (0x02...) and scenes (any other id)
//
// All values little-endian. A length beyond the bytes left takes what is left; missing parts are
// empty.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <span>
#include <vector>

namespace ostrevane::fuzz {

struct BakeInput {
  std::uint8_t options = 0;
  std::uint16_t landblock_id = 0;
  std::span<const std::uint8_t> region;
  std::span<const std::uint8_t> terrain;
  std::span<const std::uint8_t> info;
  std::map<std::uint32_t, std::span<const std::uint8_t>> files;  // a later id replaces
};

class InputSplitter {
 public:
  explicit InputSplitter(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  template <class T>
  T take() {
    T value{};
    const std::size_t n = std::min(sizeof value, bytes_.size());
    std::memcpy(&value, bytes_.data(), n);
    bytes_ = bytes_.subspan(n);
    return value;
  }
  std::span<const std::uint8_t> take_part() {
    const std::uint32_t length = take<std::uint32_t>();
    const std::size_t n = std::min<std::size_t>(length, bytes_.size());
    const auto part = bytes_.first(n);
    bytes_ = bytes_.subspan(n);
    return part;
  }
  bool empty() const noexcept { return bytes_.empty(); }

 private:
  std::span<const std::uint8_t> bytes_;
};

inline BakeInput split_bake_input(std::span<const std::uint8_t> bytes) {
  InputSplitter in(bytes);
  BakeInput input;
  input.options = in.take<std::uint8_t>();
  input.landblock_id = in.take<std::uint16_t>();
  input.region = in.take_part();
  input.terrain = in.take_part();
  input.info = in.take_part();
  while (!in.empty()) {
    const auto id = in.take<std::uint32_t>();
    input.files[id] = in.take_part();
  }
  return input;
}

// Appends one input in the layout above.
class BakeInputWriter {
 public:
  BakeInputWriter(std::uint8_t options, std::uint16_t landblock_id) {
    put(options);
    put(landblock_id);
  }
  void part(std::span<const std::uint8_t> bytes) {
    put(static_cast<std::uint32_t>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  void file(std::uint32_t id, std::span<const std::uint8_t> bytes) {
    put(id);
    part(bytes);
  }
  const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }

 private:
  template <class T>
  void put(T value) {
    std::uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes_.insert(bytes_.end(), raw, raw + sizeof value);
  }
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ostrevane::fuzz
