#include "common/tool_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace ostrevane::tools {
namespace {

TEST(ToolError, MessageWithoutCauseIsTheWholeReport) {
  EXPECT_EQ(ToolError("client_portal.dat not found in any candidate location").report(),
            "client_portal.dat not found in any candidate location");
}

TEST(ToolError, OneCauseIsIndentedByFour) {
  const ToolError error =
      ToolError::from(dat::DatError::not_found(0x13000000)).context("fetch Region 0x13000000");
  EXPECT_EQ(error.report(),
            "fetch Region 0x13000000\n"
            "\n"
            "Caused by:\n"
            "    File ID 13000000 not found in provider");
  const ToolError multi_line = ToolError("line one\n\nline three").context("outer");
  EXPECT_EQ(multi_line.report(),
            "outer\n\nCaused by:\n"
            "    line one\n"
            "    \n"
            "    line three");
}

TEST(ToolError, SeveralCausesAreNumberedAndTheirLinesIndentedBySeven) {
  const ToolError error =
      ToolError::from(dat::DatError::path_error("/x.dat", dat::IoError::from_errno(ENOENT)))
          .context("open portal");
  EXPECT_EQ(error.report(),
            "open portal\n\nCaused by:\n"
            "    0: Failed to open file at /x.dat: No such file or directory (os error 2)\n"
            "    1: No such file or directory (os error 2)");

  ToolError nested = ToolError("\nfirst\n\nlast\n").context("middle").context("top");
  EXPECT_EQ(nested.report(),
            "top\n\nCaused by:\n"
            "    0: middle\n"
            "    1: \n"
            "       first\n"
            "       \n"
            "       last\n"
            "       ");
}

TEST(ToolError, IndexIsRightAlignedInFiveColumns) {
  ToolError error("innermost");
  for (int i = 0; i < 11; ++i) error = std::move(error).context("level " + std::to_string(i));
  const std::string report = error.report();
  EXPECT_NE(report.find("\n    0: level 9\n"), std::string::npos);
  EXPECT_NE(report.find("\n    9: level 0\n"), std::string::npos);
  EXPECT_TRUE(report.ends_with("\n   10: innermost"));
}

}  // namespace
}  // namespace ostrevane::tools
