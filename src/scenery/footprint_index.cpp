#include "scenery/footprint_index.h"

#include <cmath>

namespace ostrevane::scenery {
namespace {

constexpr float kInf = Footprint::kInfinity;

bool spans_x(const Footprint& f) noexcept { return f.min_x == -kInf && f.max_x == kInf; }
bool spans_y(const Footprint& f) noexcept { return f.min_y == -kInf && f.max_y == kInf; }
bool void_x(const Footprint& f) noexcept { return f.min_x == kInf && f.max_x == -kInf; }
bool void_y(const Footprint& f) noexcept { return f.min_y == kInf && f.max_y == -kInf; }

}  // namespace

FootprintIndex::FootprintIndex(std::span<const Footprint> footprints) {
  for (const Footprint& footprint : footprints) add(footprint);
}

FootprintIndex::Kind FootprintIndex::kind_of(const Footprint& f) noexcept {
  const bool regular_x = f.min_x <= f.max_x;  // false for NaN too
  const bool regular_y = f.min_y <= f.max_y;
  if (regular_x && regular_y) return Kind::kRegular;
  if ((regular_x || void_x(f)) && (regular_y || void_y(f))) return Kind::kVoid;
  return Kind::kOdd;
}

// Monotone over the extended reals (division by a positive constant, floor and clamping all
// keep order), so two ranges that share a point share the cell of that point.
int FootprintIndex::cell_of(float coordinate) noexcept {
  const float cell = std::floor(coordinate / kCellSize);
  if (!(cell >= -1.0f)) return 0;
  if (cell >= static_cast<float>(kCells)) return kSide - 1;
  return static_cast<int>(cell) + 1;
}

void FootprintIndex::add(const Footprint& footprint) {
  all_.push_back(footprint);
  if (gridded_) {
    index(static_cast<std::uint32_t>(all_.size() - 1));
  } else if (all_.size() > kScanLimit) {
    gridded_ = true;
    cells_.resize(kSide * kSide);
    for (std::uint32_t i = 0; i < all_.size(); ++i) index(i);
  }
}

void FootprintIndex::index(std::uint32_t i) {
  const Footprint& f = all_[i];
  if (spans_x(f) || spans_y(f)) spanning_.push_back(i);
  switch (kind_of(f)) {
    case Kind::kRegular:
      for (int x = cell_of(f.min_x); x <= cell_of(f.max_x); ++x) {
        for (int y = cell_of(f.min_y); y <= cell_of(f.max_y); ++y)
          cells_[x * kSide + y].push_back(i);
      }
      break;
    case Kind::kVoid: voids_.push_back(i); break;
    case Kind::kOdd: odd_.push_back(i); break;
  }
}

bool FootprintIndex::scan(const Footprint& footprint, const std::vector<std::uint32_t>& ids) const {
  for (const std::uint32_t i : ids) {
    if (overlaps(footprint, all_[i])) return true;
  }
  return false;
}

bool FootprintIndex::overlaps_any(const Footprint& footprint) const {
  if (!gridded_) return scenery::overlaps_any(footprint, all_);
  if (scan(footprint, odd_)) return true;
  switch (kind_of(footprint)) {
    case Kind::kRegular:
      // a void axis overlaps only a range that spans the whole axis
      if ((spans_x(footprint) || spans_y(footprint)) && scan(footprint, voids_)) return true;
      return grid_overlaps(footprint);
    case Kind::kVoid:
      // its void axis overlaps only footprints spanning that axis
      return scan(footprint, spanning_);
    case Kind::kOdd: break;
  }
  return scenery::overlaps_any(footprint, all_);
}

// Regular against regular: overlapping ranges share a point on each axis, and so both
// footprints list the cell of that pair of points.
bool FootprintIndex::grid_overlaps(const Footprint& f) const {
  for (int x = cell_of(f.min_x); x <= cell_of(f.max_x); ++x) {
    for (int y = cell_of(f.min_y); y <= cell_of(f.max_y); ++y) {
      if (scan(f, cells_[x * kSide + y])) return true;
    }
  }
  return false;
}

}  // namespace ostrevane::scenery
