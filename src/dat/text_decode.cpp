#include "dat/text_decode.h"

#include <array>
#include <cstdint>

namespace ostrevane::dat {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Code points of bytes 0x80..0x9F; every other byte maps to the code point of its value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::string decode_windows_1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    append_utf8(out, b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : char32_t{b});
  }
  return out;
}

std::string decode_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  char32_t cp = 0;
  int needed = 0;
  int seen = 0;
  unsigned lower = 0x80;
  unsigned upper = 0xBF;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (needed == 0) {
      ++i;
      if (b <= 0x7F) {
        out += static_cast<char>(b);
      } else if (b >= 0xC2 && b <= 0xDF) {
        needed = 1;
        cp = b & 0x1F;
      } else if (b >= 0xE0 && b <= 0xEF) {
        if (b == 0xE0) lower = 0xA0;
        if (b == 0xED) upper = 0x9F;
        needed = 2;
        cp = b & 0x0F;
      } else if (b >= 0xF0 && b <= 0xF4) {
        if (b == 0xF0) lower = 0x90;
        if (b == 0xF4) upper = 0x8F;
        needed = 3;
        cp = b & 0x07;
      } else {
        append_utf8(out, kReplacement);
      }
      continue;
    }
    if (b < lower || b > upper) {
      // The sequence is broken: replace what was seen and read this byte afresh.
      cp = 0;
      needed = seen = 0;
      lower = 0x80;
      upper = 0xBF;
      append_utf8(out, kReplacement);
      continue;
    }
    ++i;
    lower = 0x80;
    upper = 0xBF;
    cp = (cp << 6) | (b & 0x3F);
    if (++seen == needed) {
      append_utf8(out, cp);
      cp = 0;
      needed = seen = 0;
    }
  }
  if (needed != 0) append_utf8(out, kReplacement);
  return out;
}

std::string decode_utf16(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  char32_t lead = 0;
  std::size_t i = 0;
  while (i + 1 < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    const char32_t unit = big_endian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    if (lead != 0) {
      const char32_t pending = lead;
      lead = 0;
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        append_utf8(out, 0x10000 + ((pending - 0xD800) << 10) + (unit - 0xDC00));
        i += 2;
        continue;
      }
      // A lead surrogate without its trail: replace it and read this unit afresh.
      append_utf8(out, kReplacement);
      continue;
    }
    i += 2;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      lead = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      append_utf8(out, kReplacement);
    } else {
      append_utf8(out, unit);
    }
  }
  if (lead != 0 || i < bytes.size()) append_utf8(out, kReplacement);
  return out;
}

std::string decode_stored_text(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return decode_utf8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return decode_utf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return decode_utf16(bytes.substr(2), true);
  return decode_windows_1252(bytes);
}

}  // namespace ostrevane::dat
