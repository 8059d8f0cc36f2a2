#include "dat/error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "dat/field_reader.h"
#include "test_support.h"

namespace ostrevane::dat {
namespace {

const std::string kEsc = "\x1b";
std::string heavy_line(int count) {
  std::string line;
  for (int i = 0; i < count; ++i) line += "\u2501";
  return line;
}

const std::string kTopBar =
    " \u257a" + heavy_line(20) + "\u2505 Backtrace \u2505" + heavy_line(20) + "\u2578";
const std::string kBottomBar = " \u257a" + heavy_line(53) + "\u2578";

TEST(DatError, DisplaysTheTextOfEveryKind) {
  const std::pair<DatError, std::string> cases[] = {
      {DatError::not_found(0x13000000), "File ID 13000000 not found in provider"},
      {DatError::not_found(0x0A0B0C0D), "File ID 0A0B0C0D not found in provider"},
      {DatError::not_found(0x0000ABCD), "File ID 0000ABCD not found in provider"},
      {DatError::io(IoError::unexpected_eof()), "IO error: failed to fill whole buffer"},
      {DatError::duplicate_id(0xFF), "Duplicate File ID 000000FF detected"},
      {DatError::duplicate_namespaced_id("cell", 0xAB),
       "Duplicate namespaced file cell:000000AB detected"},
      {DatError::invalid_magic("x"), "Invalid magic for format: x"},
      {DatError::unsupported_version(300), "Unsupported version: 300"},
      {DatError::invalid_namespace("n"), "Invalid namespace: n"},
      {DatError::corruption("bad"), "Corruption detected: bad"},
      {DatError::decompression_failed(0x1F), "Failed to recover compressed file 0000001F"},
      {DatError::other("o"), "Other error: o"},
  };
  for (const auto& [error, text] : cases) {
    EXPECT_EQ(error.display(), text);
    if (error.kind() != DatError::Kind::Io) {
      EXPECT_TRUE(error.causes().empty()) << text;
    }
  }
}

TEST(DatError, DebugFormNamesTheKindAndPayload) {
  EXPECT_EQ(DatError::not_found(0x13000000).debug(), "NotFound(318767104)");
  EXPECT_EQ(DatError::corruption("a \"b\"").debug(), "Corruption(\"a \\\"b\\\"\")");
  EXPECT_EQ(DatError::duplicate_namespaced_id("cell", 7).debug(),
            "DuplicateNamespacedId { namespace: \"cell\", file_id: 7 }");
  EXPECT_EQ(DatError::path_error("/x", IoError::from_errno(ENOENT)).debug(),
            "PathError { path: \"/x\", source: \"No such file or directory (os error 2)\" }");
}

TEST(DatError, PathErrorNamesTheOperatingSystemErrorTwice) {
  const DatError error = DatError::path_error("/no/such/archive.dat", IoError::from_errno(ENOENT));
  EXPECT_EQ(error.display(),
            "Failed to open file at /no/such/archive.dat: No such file or directory (os error 2)");
  EXPECT_EQ(error.causes(), std::vector<std::string>{"No such file or directory (os error 2)"});
}

TEST(DatError, IoErrorTexts) {
  EXPECT_EQ(IoError::from_errno(EISDIR).text(), "Is a directory (os error 21)");
  EXPECT_EQ(IoError::unexpected_eof().text(), "failed to fill whole buffer");
  EXPECT_TRUE(IoError::unexpected_eof().is_unexpected_eof());
  EXPECT_EQ(IoError::from_message("custom").text(), "custom");
  const DatError io = DatError::io(IoError::from_errno(EIO));
  EXPECT_EQ(io.display(), "IO error: Input/output error (os error 5)");
  EXPECT_EQ(io.causes(), std::vector<std::string>{"Input/output error (os error 5)"});
}

TEST(ParseError, RootTextsWithoutFrames) {
  EXPECT_EQ(ParseError::short_read().report(), "failed to fill whole buffer");
  EXPECT_EQ(ParseError::short_byte_run().report(), "not enough bytes in reader");
  EXPECT_EQ(ParseError::assertion_failed(0x10, "Unsupported PString length size").report(),
            "Unsupported PString length size at 0x10");
  EXPECT_EQ(ParseError::custom_failure(0xABCDEF, "odd").report(), "odd at 0xabcdef");
  EXPECT_EQ(ParseError::custom_failure(0, "zero").report(), "zero at 0x0");
  EXPECT_EQ(ParseError::read_failed(IoError::from_errno(EISDIR)).report(),
            "Is a directory (os error 21)");
}

TEST(ParseError, WithContextReportIsExact) {
  ParseError error = ParseError::short_read();
  EXPECT_EQ(error.kind(), ParseError::Kind::ReadFailed);
  error.add_frame(field_frame("x", "Vector3", kMathSource, 12));
  error.add_frame(field_frame("origin", "Frame", kGraphicsSource, 345));
  EXPECT_EQ(error.kind(), ParseError::Kind::WithContext);
  EXPECT_EQ(error.root_kind(), ParseError::Kind::ReadFailed);

  const std::string expected =
      "\n" + kTopBar + "\n\n" + " 0: " + kEsc + "[1m" + kEsc +
      "[1mError: failed to fill whole buffer" + kEsc + "[22m\n" + "           " + kEsc +
      "[1mWhile parsing field 'x' in Vector3" + kEsc + "[22m" + kEsc + "[22m\n" +
      "     at crates/ostrevane-common/src/math:12\n" + " 1: " + kEsc +
      "[1mWhile parsing field 'origin' in Frame" + kEsc + "[22m\n" +
      "     at crates/ostrevane-dat/src/graphics:345\n" + "\n" + kBottomBar + "\n\n";
  EXPECT_EQ(error.report(), expected);
}

TEST(ParseError, FramesRunFromTheInnermostOutward) {
  ParseError error = ParseError::short_read();
  error.add_frame(field_frame("x", "Vector3", kMathSource, 1));
  error.add_frame(field_frame("origin", "Frame", kGraphicsSource, 2));
  error.add_frame(field_frame("frame", "Placement", kLandblockSource, 3));
  EXPECT_EQ(testing::frame_messages(error),
            (std::vector<std::string>{"While parsing field 'x' in Vector3",
                                      "While parsing field 'origin' in Frame",
                                      "While parsing field 'frame' in Placement"}));
  EXPECT_EQ(error.frames()[2].source, kLandblockSource);
  EXPECT_EQ(error.frames()[2].line, 3u);
}

TEST(DatError, BinReadWrapsTheWholeParseReport) {
  ParseError parse = ParseError::short_read();
  parse.add_frame(field_frame("bit_flags", "DatFileEntry", kLibSource, 7));
  const std::string report = parse.report();
  const DatError error = DatError::bin_read(std::move(parse));
  EXPECT_EQ(error.display(), "Binary read error: " + report);
  EXPECT_TRUE(error.display().starts_with("Binary read error: \n \u257a"));
  EXPECT_EQ(error.causes(), std::vector<std::string>{report});

  const DatError plain = DatError::bin_read(ParseError::short_read());
  EXPECT_EQ(plain.display(), "Binary read error: failed to fill whole buffer");
}

}  // namespace
}  // namespace ostrevane::dat
