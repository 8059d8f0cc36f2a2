// The two error values of the archive library: DatError for the archive layer, ParseError for
// every record reader. Both own their payloads and are moved, never shared. Nothing here prints.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrevane::dat {

// An I/O error: either an operating-system error number, or a bare message such as the
// short-read text "failed to fill whole buffer".
class IoError {
 public:
  static IoError from_errno(int code);
  static IoError unexpected_eof();  // "failed to fill whole buffer"
  static IoError from_message(std::string message);

  // 0 when the error does not come from the operating system.
  int os_code() const noexcept { return os_code_; }
  bool is_unexpected_eof() const noexcept { return unexpected_eof_; }

  // "<description> (os error N)" for an operating-system error, the bare message otherwise.
  std::string text() const;

 private:
  int os_code_ = 0;
  bool unexpected_eof_ = false;
  std::string message_;
};

// One level of context of a field-by-field record reader: which field of which record failed,
// and where the record declares that field.
struct ContextFrame {
  std::string message;       // "While parsing field 'x' in Vector3"
  std::string_view source;   // "crates/ostrevane-common/src/math"
  std::uint32_t line = 0;
};

// Builds the frame message "While parsing field 'F' in R".
ContextFrame field_frame(std::string_view field, std::string_view record, std::string_view source,
                         std::uint32_t line);

class ParseError {
 public:
  enum class Kind { ReadFailed, AssertionFailed, CustomFailure, WithContext };

  static ParseError short_read();      // ReadFailed, "failed to fill whole buffer"
  static ParseError short_byte_run();  // ReadFailed, "not enough bytes in reader"
  static ParseError read_failed(IoError error);
  static ParseError assertion_failed(std::uint64_t position, std::string message);
  static ParseError custom_failure(std::uint64_t position, std::string message);

  // WithContext once at least one frame has been added, the root's kind otherwise.
  Kind kind() const noexcept { return frames_.empty() ? root_kind_ : Kind::WithContext; }
  Kind root_kind() const noexcept { return root_kind_; }
  // The I/O error of a ReadFailed root; null for the other kinds.
  const IoError* io_error() const noexcept { return io_ ? &*io_ : nullptr; }
  std::uint64_t position() const noexcept { return position_; }
  const std::string& message() const noexcept { return message_; }
  // Innermost first.
  std::span<const ContextFrame> frames() const noexcept { return frames_; }

  // Appends a frame: the error becomes (or stays) a WithContext error around the same root.
  void add_frame(ContextFrame frame) { frames_.push_back(std::move(frame)); }

  // The report text of the root alone: the I/O text, or "{message} at 0x{position:x}".
  std::string root_text() const;
  // The full report: root_text() without frames, the multi-line backtrace report with them.
  std::string report() const;

 private:
  Kind root_kind_ = Kind::ReadFailed;
  std::optional<IoError> io_;
  std::uint64_t position_ = 0;
  std::string message_;
  std::vector<ContextFrame> frames_;
};

class DatError {
 public:
  enum class Kind {
    Io,
    BinRead,
    NotFound,
    DuplicateId,
    DuplicateNamespacedId,
    InvalidMagic,
    UnsupportedVersion,
    InvalidNamespace,
    Corruption,
    DecompressionFailed,
    PathError,
    Other,
  };

  static DatError io(IoError error);
  static DatError bin_read(ParseError error);
  static DatError not_found(std::uint32_t file_id);
  static DatError duplicate_id(std::uint32_t file_id);
  static DatError duplicate_namespaced_id(std::string name_space, std::uint32_t file_id);
  static DatError invalid_magic(std::string text);
  static DatError unsupported_version(std::uint32_t version);
  static DatError invalid_namespace(std::string text);
  static DatError corruption(std::string text);
  static DatError decompression_failed(std::uint32_t file_id);
  // `path` is the file system path exactly as passed, as raw bytes.
  static DatError path_error(std::string path, IoError source);
  static DatError other(std::string text);

  Kind kind() const noexcept { return kind_; }
  const IoError* io_error() const noexcept { return io_ ? &*io_ : nullptr; }
  const ParseError* parse_error() const noexcept { return parse_ ? &*parse_ : nullptr; }
  std::uint32_t file_id() const noexcept { return number_; }

  // The user-facing text of the kind, never ending in a line break.
  std::string display() const;
  // The texts of the causes below this error, outermost first: the I/O error of Io and
  // PathError, the ParseError report of BinRead, nothing for the other kinds.
  std::vector<std::string> causes() const;
  // Diagnostic form: the kind's name and its payload.
  std::string debug() const;

 private:
  explicit DatError(Kind kind) : kind_(kind) {}

  Kind kind_;
  std::optional<IoError> io_;
  std::optional<ParseError> parse_;
  std::uint32_t number_ = 0;
  std::string text_;  // text payload; the namespace of DuplicateNamespacedId; the path of PathError
};

}  // namespace ostrevane::dat
