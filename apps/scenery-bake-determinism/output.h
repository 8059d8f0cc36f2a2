// Writing both runs' files and comparing the runs.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "common/tool_error.h"
#include "scenery-bake-determinism/ring_bake.h"

namespace ostrevane::determinism {

// OSTREVANE_DETERMINISM_OUT as raw bytes when set (empty: the current directory), otherwise the
// built-in default.
std::string output_directory();

// `name` inside `directory`; an empty directory leaves the name relative.
std::string join_path(std::string_view directory, std::string_view name);

// Creates `path` and its missing parents; an existing directory is fine. The error is the
// operating system's text, without context.
std::expected<void, tools::ToolError> create_dir_all(const std::string& path);

// "0x" + four upper-case hexadecimal digits + ".scenery.jsonl".
std::string landblock_file_name(std::uint16_t id);

// Writes the lines, each followed by a line feed, to the landblock's file in `directory`,
// creating or truncating it. Fails with "write {path}" caused by the operating system's text.
std::expected<void, tools::ToolError> write_lines(std::string_view directory, std::uint16_t id,
                                                  const std::vector<std::string>& lines);

// Creates run1 and run2 in `out` and writes every landblock file of run 1, then of run 2.
std::expected<void, tools::ToolError> write_runs(const std::string& out, const RingLines& run1,
                                                 const RingLines& run2);

// Compares the runs landblock by landblock, appending the total line and either the PASS line
// or the drift details to `report`; drift ends in the FAIL error.
std::expected<void, tools::ToolError> compare_runs(const RingLines& run1, const RingLines& run2,
                                                   std::string& report);

}  // namespace ostrevane::determinism
