#include "scenery-bake-determinism/archive_location.h"

#include <sys/stat.h>

#include <cstdlib>

#include "scenery-bake-determinism/builtin_paths.h"

namespace ostrevane::determinism {

Candidates archive_candidates(const char* variable, std::string_view file_name) {
  Candidates candidates{file_name, {}};
  if (const char* value = std::getenv(variable)) candidates.paths[0] = std::string(value);
  candidates.paths[1] = std::string(kBuiltinPaths.project_data_dir).append("/").append(file_name);
  candidates.paths[2] = std::string(kBuiltinPaths.shared_data_dir).append("/").append(file_name);
  return candidates;
}

std::expected<std::string, tools::ToolError> locate(const Candidates& candidates) {
  for (const std::optional<std::string>& path : candidates.paths) {
    struct stat info;
    if (path && ::stat(path->c_str(), &info) == 0) return *path;
  }
  return std::unexpected(tools::ToolError(std::string(candidates.file_name) +
                                          " not found in any candidate location"));
}

}  // namespace ostrevane::determinism
