#include "scenery-bake-determinism/placement_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrevane::determinism {
namespace {

std::string json_float(float value) {
  std::string out;
  append_json_float(out, value);
  return out;
}

TEST(PlacementLine, FloatsHaveSixDecimalsRoundedFromTheExactValue) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.0078125f, "0.007812"},  // exactly representable: a tie, rounded to even
      {0.0234375f, "0.023438"},  // the other side of a tie rounds up to even
      {-0.0f, "0.000000"},
      {0.0f, "0.000000"},
      {-1e-7f, "-0.000000"},  // not zero, so it keeps its sign
      {1e-7f, "0.000000"},
      {19.0f, "19.000000"},
      {-250.118576f, "-250.118576"},
      {0.1f, "0.100000"},  // 0.100000001490116...
      {16777216.0f, "16777216.000000"},
      {std::numeric_limits<float>::quiet_NaN(), "NaN"},
      {-std::numeric_limits<float>::quiet_NaN(), "NaN"},
      {std::numeric_limits<float>::infinity(), "inf"},
      {-std::numeric_limits<float>::infinity(), "-inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(json_float(c.value), c.text) << c.value;
}

TEST(PlacementLine, WritesTwelveMembersInOrder) {
  scenery::Placement p{};
  p.obj_id = 0x1A;
  p.x = 19.0f;
  p.y = 24.0f;
  p.z = 0.5f;
  p.qw = 1.0f;
  p.qx = 0.0f;
  p.qy = 0.0f;
  p.qz = 0.0f;
  p.scale = 1.0f;
  p.source_cell_x = 1;
  p.source_cell_y = 1;
  p.source_obj_idx = 0;
  EXPECT_EQ(placement_line(p),
            "{\"obj_id\":\"0x0000001A\",\"x\":19.000000,\"y\":24.000000,\"z\":0.500000,"
            "\"qw\":1.000000,\"qx\":0.000000,\"qy\":0.000000,\"qz\":0.000000,"
            "\"scale\":1.000000,\"source_cell_x\":1,\"source_cell_y\":1,\"source_obj_idx\":0}");
}

TEST(PlacementLine, ObjectIdsUseEightUpperCaseDigits) {
  scenery::Placement p{};
  p.obj_id = 0x0200ABCD;
  p.source_obj_idx = 4294967295u;
  const std::string line = placement_line(p);
  EXPECT_TRUE(line.starts_with("{\"obj_id\":\"0x0200ABCD\",\"x\":")) << line;
  EXPECT_NE(line.find("\"source_obj_idx\":4294967295}"), std::string::npos);
}

}  // namespace
}  // namespace ostrevane::determinism
