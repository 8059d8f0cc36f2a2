#include "scenery-bake-determinism/placement_line.h"

#include <charconv>
#include <cmath>

#include "dat/strings.h"

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

std::string placement_line(const scenery::Placement& p) {
  std::string line;
  line.reserve(224);
  line += "{\"obj_id\":\"0x" + dat::hex_upper(p.obj_id, 8) + "\"";
  const auto member = [&line](const char* key, float value) {
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
  line += ",\"source_cell_x\":" + std::to_string(p.source_cell_x);
  line += ",\"source_cell_y\":" + std::to_string(p.source_cell_y);
  line += ",\"source_obj_idx\":" + std::to_string(p.source_obj_idx);
  line += "}";
  return line;
}

}  // namespace ostrevane::determinism
