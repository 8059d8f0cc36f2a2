// Support for records read in the field-by-field style: every field read that fails gains the
// frame "While parsing field 'F' in R" and moves the cursor back to where the record started.
//
//   FieldReader fields(cursor, "Vector3", kMathSource);
//   OSTREVANE_TRY(v.x, fields.read("x", Vector3::x_line, read_f32));
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "dat/byte_cursor.h"

// Marks the line of a field's declaration; the line is what a field's context frame reports.
#define OSTREVANE_FIELD_LINE(field) static constexpr std::uint32_t field##_line = __LINE__

namespace ostrevane::dat {

class FieldReader {
 public:
  FieldReader(ByteCursor& cursor, std::string_view record, std::string_view source) noexcept
      : cursor_(cursor), start_(cursor.position()), record_(record), source_(source) {}

  ByteCursor& cursor() noexcept { return cursor_; }

  // Runs `read(cursor)`, which yields std::expected<T, ParseError>; on failure adds the field's
  // frame and rewinds to the record's start.
  template <class Read>
  auto read(std::string_view field, std::uint32_t line, Read&& read) {
    auto result = std::forward<Read>(read)(cursor_);
    if (!result) {
      cursor_.set_position(start_);
      result.error().add_frame(field_frame(field, record_, source_, line));
    }
    return result;
  }

 private:
  ByteCursor& cursor_;
  std::size_t start_;
  std::string_view record_;
  std::string_view source_;
};

// Scalar readers in the shape FieldReader::read takes.
inline std::expected<std::uint8_t, ParseError> read_u8(ByteCursor& c) { return c.read_u8(); }
inline std::expected<std::uint16_t, ParseError> read_u16(ByteCursor& c) { return c.read_u16(); }
inline std::expected<std::uint32_t, ParseError> read_u32(ByteCursor& c) { return c.read_u32(); }
inline std::expected<std::int32_t, ParseError> read_i32(ByteCursor& c) { return c.read_i32(); }
inline std::expected<float, ParseError> read_f32(ByteCursor& c) { return c.read_f32(); }

// Context source paths of the record families.
inline constexpr std::string_view kLibSource = "crates/ostrevane-dat/src/lib";
inline constexpr std::string_view kMathSource = "crates/ostrevane-common/src/math";
inline constexpr std::string_view kGraphicsSource = "crates/ostrevane-dat/src/graphics";
inline constexpr std::string_view kLandblockSource = "crates/ostrevane-dat/src/landblock";
inline constexpr std::string_view kPhysicsSource = "crates/ostrevane-dat/src/physics";
inline constexpr std::string_view kSetupModelSource =
    "crates/ostrevane-dat/src/file_type/setup_model";

}  // namespace ostrevane::dat
