// Finding the two archives: for each, the environment variable's value, then the project data
// directory, then the shared base-data directory; the first path that exists is chosen.
#pragma once

#include <array>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "common/tool_error.h"

namespace ostrevane::determinism {

inline constexpr std::string_view kPortalFileName = "client_portal.dat";
inline constexpr std::string_view kCellFileName = "client_cell_1.dat";

// An archive's candidate paths in search order, as raw bytes; an unset variable gives none.
struct Candidates {
  std::string_view file_name;
  std::array<std::optional<std::string>, 3> paths;
};

// Reads `variable` now (raw bytes; set but empty is a candidate that never exists) and adds the
// two built-in paths ending in `file_name`.
Candidates archive_candidates(const char* variable, std::string_view file_name);

// The first candidate for which a file-system metadata query succeeds (a directory qualifies),
// or the error "{file_name} not found in any candidate location".
std::expected<std::string, tools::ToolError> locate(const Candidates& candidates);

}  // namespace ostrevane::determinism
