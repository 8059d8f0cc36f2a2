#include "dat/strings.h"

#include <charconv>

namespace ostrevane::dat {

namespace {

std::string hex(std::uint64_t value, int width, bool upper) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  std::string out(digits, result.ptr);
  if (upper) {
    for (char& c : out) {
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  if (static_cast<int>(out.size()) < width) out.insert(0, width - out.size(), '0');
  return out;
}

}  // namespace

std::string hex_upper(std::uint64_t value, int width) { return hex(value, width, true); }

std::string hex_lower(std::uint64_t value) { return hex(value, 0, false); }

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "\\u{" + hex(static_cast<unsigned char>(c), 0, false) + "}";
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace ostrevane::dat
