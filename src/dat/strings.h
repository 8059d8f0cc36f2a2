// Small text helpers for messages: the standard library of this toolchain has no std::format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrevane::dat {

// `value` as upper-case hexadecimal digits, zero-padded to at least `width` digits, no prefix.
std::string hex_upper(std::uint64_t value, int width);

// `value` as lower-case hexadecimal digits without padding or prefix.
std::string hex_lower(std::uint64_t value);

// `text` in double quotes with quotes, backslashes and control characters escaped; for the
// diagnostic forms of the errors only.
std::string quoted(std::string_view text);

}  // namespace ostrevane::dat
