#include "scenery-bake-determinism/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "dat/strings.h"
#include "dat/text_decode.h"
#include "scenery-bake-determinism/builtin_paths.h"

namespace ostrevane::determinism {

std::string output_directory() {
  if (const char* value = std::getenv("OSTREVANE_DETERMINISM_OUT")) return value;
  return kBuiltinPaths.default_out_dir;
}

std::string join_path(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

namespace {

bool is_directory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The directory holding `path`, or nothing for a path of one component.
std::optional<std::string> parent_of(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return trimmed == "/" ? std::nullopt : std::optional<std::string>("/");
  return trimmed.substr(0, slash);
}

int make_directory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

}  // namespace

std::expected<void, tools::ToolError> create_dir_all(const std::string& path) {
  if (path.empty()) return {};
  int error = make_directory(path);
  if (error == 0) return {};
  if (error != ENOENT) {
    if (is_directory(path)) return {};
    return std::unexpected(tools::ToolError::from(dat::IoError::from_errno(error)));
  }
  // A parent is missing: create the parents, then try again.
  const std::optional<std::string> parent = parent_of(path);
  if (!parent) {
    return std::unexpected(tools::ToolError("failed to create whole tree"));
  }
  if (auto created = create_dir_all(*parent); !created) return created;
  error = make_directory(path);
  if (error == 0 || is_directory(path)) return {};
  return std::unexpected(tools::ToolError::from(dat::IoError::from_errno(error)));
}

std::string landblock_file_name(std::uint16_t id) {
  return "0x" + dat::hex_upper(id, 4) + ".scenery.jsonl";
}

namespace {

// Creates or truncates `path` and writes `data` whole; 0 or the error number.
int write_file(const std::string& path, std::string_view data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = 0;
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

std::expected<void, tools::ToolError> write_lines(std::string_view directory, std::uint16_t id,
                                                  const std::vector<std::string>& lines) {
  const std::string path = join_path(directory, landblock_file_name(id));
  std::string content;
  std::size_t length = 0;
  for (const std::string& line : lines) length += line.size() + 1;
  content.reserve(length);
  for (const std::string& line : lines) content.append(line).push_back('\n');
  if (const int error = write_file(path, content); error != 0) {
    return std::unexpected(tools::ToolError::from(dat::IoError::from_errno(error))
                               .context("write " + dat::lossy_utf8(path)));
  }
  return {};
}

std::expected<void, tools::ToolError> write_runs(const std::string& out, const RingLines& run1,
                                                 const RingLines& run2) {
  const std::string dir1 = join_path(out, "run1");
  const std::string dir2 = join_path(out, "run2");
  if (auto created = create_dir_all(dir1); !created) return created;
  if (auto created = create_dir_all(dir2); !created) return created;
  for (const auto& [id, lines] : run1) {
    if (auto written = write_lines(dir1, id, lines); !written) return written;
  }
  for (const auto& [id, lines] : run2) {
    if (auto written = write_lines(dir2, id, lines); !written) return written;
  }
  return {};
}

namespace {

const std::vector<std::string>& lines_of(const RingLines& run, std::uint16_t id) {
  return std::find_if(run.begin(), run.end(), [id](const auto& entry) {
           return entry.first == id;
         })->second;
}

}  // namespace

std::expected<void, tools::ToolError> compare_runs(const RingLines& run1, const RingLines& run2,
                                                   std::string& report) {
  std::uint64_t total = 0;
  std::vector<std::uint16_t> drifted;
  const std::size_t common = std::min(run1.size(), run2.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (run1[i].first != run2[i].first) {
      return std::unexpected(tools::ToolError("lb sequence drift"));
    }
    total += run1[i].second.size();
    if (run1[i].second != run2[i].second) drifted.push_back(run1[i].first);
  }
  report += "scenery-bake-determinism: total placements = " + std::to_string(total) +
            " across " + std::to_string(run1.size()) + " LBs\n";
  if (drifted.empty()) {
    report += "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical across 2 runs\n";
    return {};
  }
  for (const std::uint16_t id : drifted) {
    const std::vector<std::string>& a = lines_of(run1, id);
    const std::vector<std::string>& b = lines_of(run2, id);
    report += "  LB 0x" + dat::hex_upper(id, 4) + ": " + std::to_string(a.size()) + " vs " +
              std::to_string(b.size()) + " lines\n";
    const std::size_t shorter = std::min(a.size(), b.size());
    for (std::size_t l = 0; l < shorter; ++l) {
      if (a[l] != b[l]) {
        report += "    line " + std::to_string(l) + ": " + a[l] + "\n";
        report += "           : " + b[l] + "\n";
        break;
      }
    }
  }
  return std::unexpected(tools::ToolError("scenery-bake-determinism: FAIL \u2014 " +
                                          std::to_string(drifted.size()) +
                                          " LBs drifted between runs"));
}

}  // namespace ostrevane::determinism
