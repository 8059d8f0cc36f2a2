// A set of footprints that answers "does this footprint overlap any of them" with exactly the
// answer of overlaps_any over all of them, but without testing every one once there are many:
// the bake asks once per candidate object, and a landblock whose scenes list thousands of
// objects would otherwise cost time quadratic in their number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "scenery/footprint.h"

namespace ostrevane::scenery {

class FootprintIndex {
 public:
  FootprintIndex() = default;
  explicit FootprintIndex(std::span<const Footprint> footprints);

  void add(const Footprint& footprint);
  // Whether `footprint` overlaps any footprint added, by the rule of overlaps().
  bool overlaps_any(const Footprint& footprint) const;
  std::size_t size() const noexcept { return all_.size(); }

 private:
  // Up to this many footprints a plain scan is quickest (a typical landblock places about a
  // hundred objects); past it the grid below is built.
  static constexpr std::size_t kScanLimit = 256;
  // Square cells of 4 units over the landblock and its surroundings: coordinates map to cells
  // -1 .. kCells, the outermost ones taking everything beyond, infinities included.
  static constexpr float kCellSize = 4.0f;
  static constexpr int kCells = 48;
  static constexpr int kSide = kCells + 2;

  // What a footprint is, for the search: regular ones (min ≤ max on both axes) live in the
  // grid; a void one has an axis without points, (+inf, -inf), which overlaps only footprints
  // that span that whole axis; any other (NaN bounds, finite inverted ranges) is odd and always
  // scanned.
  enum class Kind { kRegular, kVoid, kOdd };
  static Kind kind_of(const Footprint& footprint) noexcept;
  static int cell_of(float coordinate) noexcept;

  void index(std::uint32_t i);
  bool grid_overlaps(const Footprint& footprint) const;
  bool scan(const Footprint& footprint, const std::vector<std::uint32_t>& ids) const;

  std::vector<Footprint> all_;
  bool gridded_ = false;
  std::vector<std::vector<std::uint32_t>> cells_;  // kSide × kSide lists of regular ones
  std::vector<std::uint32_t> voids_;
  std::vector<std::uint32_t> odd_;
  std::vector<std::uint32_t> spanning_;  // those that span a whole axis, -inf to +inf
};

}  // namespace ostrevane::scenery
