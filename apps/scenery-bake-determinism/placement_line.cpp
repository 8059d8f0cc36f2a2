#include "scenery-bake-determinism/placement_line.h"

#include <charconv>
#include <cmath>
#include <string_view>


namespace ostrevane::determinism {

void append_json_float(std::string& out, float value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  if (value == 0.0f) value = 0.0f;  // negative zero is written as zero
  // Fixed notation of the exact value widened to double: the digits of printf's "%.6f".
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  out.append(digits, result.ptr);
}

namespace {

void append_unsigned(std::string& out, std::uint32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

}  // namespace

std::string placement_line(const scenery::Placement& p) {
  std::string line;
  line.reserve(256);
  // The id as exactly eight upper-case hexadecimal digits.
  char id[8];
  for (int i = 0; i < 8; ++i) id[i] = "0123456789ABCDEF"[(p.obj_id >> (28 - 4 * i)) & 0xF];
  line.append("{\"obj_id\":\"0x").append(id, sizeof id).append("\"");
  const auto member = [&line](std::string_view key, float value) {
    line.append(",\"").append(key).append("\":");
    append_json_float(line, value);
  };
  member("x", p.x);
  member("y", p.y);
  member("z", p.z);
  member("qw", p.qw);
  member("qx", p.qx);
  member("qy", p.qy);
  member("qz", p.qz);
  member("scale", p.scale);
  line.append(",\"source_cell_x\":");
  append_unsigned(line, p.source_cell_x);
  line.append(",\"source_cell_y\":");
  append_unsigned(line, p.source_cell_y);
  line.append(",\"source_obj_idx\":");
  append_unsigned(line, p.source_obj_idx);
  line.push_back('}');
  return line;
}

}  // namespace ostrevane::determinism
