#include "dat/error.h"

#include <cstring>
#include <string>

#include "dat/strings.h"
#include "dat/text_decode.h"

namespace ostrevane::dat {

IoError IoError::from_errno(int code) {
  IoError error;
  error.os_code_ = code;
  return error;
}

IoError IoError::unexpected_eof() {
  IoError error;
  error.unexpected_eof_ = true;
  error.message_ = "failed to fill whole buffer";
  return error;
}

IoError IoError::from_message(std::string message) {
  IoError error;
  error.message_ = std::move(message);
  return error;
}

std::string IoError::text() const {
  if (os_code_ == 0) return message_;
  char buffer[256];
  // GNU strerror_r returns a pointer to the description, which may not be `buffer`.
  const char* description = strerror_r(os_code_, buffer, sizeof buffer);
  return std::string(description) + " (os error " + std::to_string(os_code_) + ")";
}

ContextFrame field_frame(std::string_view field, std::string_view record, std::string_view source,
                         std::uint32_t line) {
  std::string message = "While parsing field '";
  message.append(field).append("' in ").append(record);
  return ContextFrame{std::move(message), source, line};
}

ParseError ParseError::short_read() { return read_failed(IoError::unexpected_eof()); }

ParseError ParseError::short_byte_run() {
  return read_failed(IoError::from_message("not enough bytes in reader"));
}

ParseError ParseError::read_failed(IoError error) {
  ParseError result;
  result.root_kind_ = Kind::ReadFailed;
  result.io_ = std::move(error);
  return result;
}

ParseError ParseError::assertion_failed(std::uint64_t position, std::string message) {
  ParseError result;
  result.root_kind_ = Kind::AssertionFailed;
  result.position_ = position;
  result.message_ = std::move(message);
  return result;
}

ParseError ParseError::custom_failure(std::uint64_t position, std::string message) {
  ParseError result = assertion_failed(position, std::move(message));
  result.root_kind_ = Kind::CustomFailure;
  return result;
}

std::string ParseError::root_text() const {
  if (io_) return io_->text();
  return message_ + " at 0x" + hex_lower(position_);
}

namespace {

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kUnbold = "\x1b[22m";

std::string repeat(std::string_view piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

}  // namespace

std::string ParseError::report() const {
  if (frames_.empty()) return root_text();

  std::string out = "\n \u257a" + repeat("\u2501", 20) + "\u2505 Backtrace \u2505" +
                    repeat("\u2501", 20) + "\u2578\n\n";
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    const ContextFrame& frame = frames_[i];
    out.append(" ").append(std::to_string(i)).append(": ");
    out += kBold;
    if (i == 0) {
      // The first frame carries the root error above its own message.
      out.append(kBold).append("Error: ").append(root_text()).append(kUnbold);
      out.append("\n           ").append(kBold).append(frame.message).append(kUnbold);
    } else {
      out += frame.message;
    }
    out += kUnbold;
    out.append("\n     at ").append(frame.source).append(":");
    out += std::to_string(frame.line) + "\n";
  }
  out += "\n \u257a" + repeat("\u2501", 53) + "\u2578\n\n";
  return out;
}

DatError DatError::io(IoError error) {
  DatError result(Kind::Io);
  result.io_ = std::move(error);
  return result;
}

DatError DatError::bin_read(ParseError error) {
  DatError result(Kind::BinRead);
  result.parse_ = std::move(error);
  return result;
}

DatError DatError::not_found(std::uint32_t file_id) {
  DatError result(Kind::NotFound);
  result.number_ = file_id;
  return result;
}

DatError DatError::duplicate_id(std::uint32_t file_id) {
  DatError result(Kind::DuplicateId);
  result.number_ = file_id;
  return result;
}

DatError DatError::duplicate_namespaced_id(std::string name_space, std::uint32_t file_id) {
  DatError result(Kind::DuplicateNamespacedId);
  result.text_ = std::move(name_space);
  result.number_ = file_id;
  return result;
}

DatError DatError::invalid_magic(std::string text) {
  DatError result(Kind::InvalidMagic);
  result.text_ = std::move(text);
  return result;
}

DatError DatError::unsupported_version(std::uint32_t version) {
  DatError result(Kind::UnsupportedVersion);
  result.number_ = version;
  return result;
}

DatError DatError::invalid_namespace(std::string text) {
  DatError result(Kind::InvalidNamespace);
  result.text_ = std::move(text);
  return result;
}

DatError DatError::corruption(std::string text) {
  DatError result(Kind::Corruption);
  result.text_ = std::move(text);
  return result;
}

DatError DatError::decompression_failed(std::uint32_t file_id) {
  DatError result(Kind::DecompressionFailed);
  result.number_ = file_id;
  return result;
}

DatError DatError::path_error(std::string path, IoError source) {
  DatError result(Kind::PathError);
  result.text_ = std::move(path);
  result.io_ = std::move(source);
  return result;
}

DatError DatError::other(std::string text) {
  DatError result(Kind::Other);
  result.text_ = std::move(text);
  return result;
}

std::string DatError::display() const {
  switch (kind_) {
    case Kind::Io: return "IO error: " + io_->text();
    case Kind::BinRead: return "Binary read error: " + parse_->report();
    case Kind::NotFound: return "File ID " + hex_upper(number_, 8) + " not found in provider";
    case Kind::DuplicateId: return "Duplicate File ID " + hex_upper(number_, 8) + " detected";
    case Kind::DuplicateNamespacedId:
      return "Duplicate namespaced file " + text_ + ":" + hex_upper(number_, 8) + " detected";
    case Kind::InvalidMagic: return "Invalid magic for format: " + text_;
    case Kind::UnsupportedVersion: return "Unsupported version: " + std::to_string(number_);
    case Kind::InvalidNamespace: return "Invalid namespace: " + text_;
    case Kind::Corruption: return "Corruption detected: " + text_;
    case Kind::DecompressionFailed:
      return "Failed to recover compressed file " + hex_upper(number_, 8);
    case Kind::PathError: return "Failed to open file at " + lossy_utf8(text_) + ": " + io_->text();
    case Kind::Other: return "Other error: " + text_;
  }
  return {};
}

std::vector<std::string> DatError::causes() const {
  switch (kind_) {
    case Kind::Io:
    case Kind::PathError: return {io_->text()};
    case Kind::BinRead: return {parse_->report()};
    default: return {};
  }
}

std::string DatError::debug() const {
  switch (kind_) {
    case Kind::Io: return "Io(" + quoted(io_->text()) + ")";
    case Kind::BinRead: return "BinRead(" + quoted(parse_->report()) + ")";
    case Kind::NotFound: return "NotFound(" + std::to_string(number_) + ")";
    case Kind::DuplicateId: return "DuplicateId(" + std::to_string(number_) + ")";
    case Kind::DuplicateNamespacedId:
      return "DuplicateNamespacedId { namespace: " + quoted(text_) +
             ", file_id: " + std::to_string(number_) + " }";
    case Kind::InvalidMagic: return "InvalidMagic(" + quoted(text_) + ")";
    case Kind::UnsupportedVersion: return "UnsupportedVersion(" + std::to_string(number_) + ")";
    case Kind::InvalidNamespace: return "InvalidNamespace(" + quoted(text_) + ")";
    case Kind::Corruption: return "Corruption(" + quoted(text_) + ")";
    case Kind::DecompressionFailed: return "DecompressionFailed(" + std::to_string(number_) + ")";
    case Kind::PathError:
      return "PathError { path: " + quoted(lossy_utf8(text_)) + ", source: " +
             quoted(io_->text()) + " }";
    case Kind::Other: return "Other(" + quoted(text_) + ")";
  }
  return {};
}

}  // namespace ostrevane::dat
