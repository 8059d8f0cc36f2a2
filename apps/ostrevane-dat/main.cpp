// ostrevane-dat: looks inside one archive. Shows its header, lists its directory, or writes one
// file's bytes to standard output.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/tool_error.h"
#include "dat/dat_database.h"
#include "dat/strings.h"
#include "dat/text_decode.h"

namespace {

using ostrevane::dat::DatDatabase;
using ostrevane::dat::hex_upper;
using ostrevane::tools::ToolError;

constexpr std::string_view kUsage =
    "usage: ostrevane-dat info ARCHIVE\n"
    "       ostrevane-dat list ARCHIVE\n"
    "       ostrevane-dat get ARCHIVE ID\n"
    "\n"
    "  info   the header fields and the number of entries\n"
    "  list   one line per entry, sorted by id: id, size, compressed or stored, offset\n"
    "  get    the bytes of file ID (hexadecimal, 0x optional), decompressed, to standard output\n";

int usage_error(std::string_view problem) {
  std::fprintf(stderr, "ostrevane-dat: %.*s\n\n%.*s", static_cast<int>(problem.size()),
               problem.data(), static_cast<int>(kUsage.size()), kUsage.data());
  return 2;
}

std::string hex_id(std::uint32_t id) { return "0x" + hex_upper(id, 8); }

// 1 to 8 hexadecimal digits, with or without a leading 0x.
bool parse_id(std::string_view text, std::uint32_t& id) {
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  if (text.empty() || text.size() > 8) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id, 16);
  return error == std::errc() && end == text.data() + text.size();
}

// Writes everything or reports the operating system's error.
bool write_stdout(const void* data, std::size_t size, ToolError& error) {
  // An empty file writes nothing: fwrite must not see the null data of an empty buffer.
  if ((size == 0 || std::fwrite(data, 1, size, stdout) == size) && std::fflush(stdout) == 0) {
    return true;
  }
  error = ToolError::from(ostrevane::dat::IoError::from_errno(errno != 0 ? errno : EIO))
              .context("write standard output");
  return false;
}

std::string info_text(const DatDatabase& archive) {
  const auto& h = archive.header();
  std::string version_string;
  for (std::uint8_t b : h.version_string) {
    if (!version_string.empty()) version_string += ' ';
    version_string += hex_upper(b, 2);
  }
  const std::pair<std::string_view, std::string> lines[] = {
      {"magic", hex_id(h.magic)},
      {"block_size", std::to_string(h.block_size)},
      {"file_size", std::to_string(h.file_size)},
      {"dataset", std::to_string(h.dataset)},
      {"subset", std::to_string(h.subset)},
      {"free_head", hex_id(h.free_head)},
      {"free_tail", hex_id(h.free_tail)},
      {"free_count", std::to_string(h.free_count)},
      {"root_offset", hex_id(h.root_offset)},
      {"new_lru", hex_id(h.new_lru)},
      {"old_lru", hex_id(h.old_lru)},
      {"use_lru", std::to_string(h.use_lru)},
      {"master_map_id", hex_id(h.master_map_id)},
      {"engine_version", std::to_string(h.engine_version)},
      {"game_version", std::to_string(h.game_version)},
      {"version_string", version_string},
      {"version_minor", std::to_string(h.version_minor)},
      {"entries", std::to_string(archive.entries().size())},
  };
  std::string out;
  for (const auto& [name, value] : lines) {
    out.append(name).append(":").append(15 - name.size(), ' ').append(value).append("\n");
  }
  return out;
}

std::string list_text(const DatDatabase& archive) {
  std::string out;
  out.reserve(archive.entries().size() * 48);
  for (const auto& entry : archive.entries()) {
    out += hex_id(entry.id) + " " + std::to_string(entry.size) + " " +
           (entry.compressed() ? "compressed" : "stored") + " " + hex_id(entry.offset) + "\n";
  }
  return out;
}

int run(std::string_view command, const char* path, std::uint32_t id) {
  auto archive = DatDatabase::open(path);
  if (!archive) {
    return report_failure(
        ToolError::from(archive.error()).context("open " + ostrevane::dat::lossy_utf8(path)));
  }
  ToolError error("");
  if (command == "get") {
    auto bytes = archive->get_file(id);
    if (!bytes) {
      return report_failure(ToolError::from(bytes.error()).context("fetch " + hex_id(id)));
    }
    return write_stdout(bytes->data(), bytes->size(), error) ? 0 : report_failure(error);
  }
  const std::string text = command == "info" ? info_text(*archive) : list_text(*archive);
  return write_stdout(text.data(), text.size(), error) ? 0 : report_failure(error);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
    return 0;
  }
  if (args.empty()) return usage_error("no command given");
  const std::string_view command = args[0];
  if (command != "info" && command != "list" && command != "get") {
    return usage_error("unknown command '" + std::string(command) + "'");
  }
  const std::size_t wanted = command == "get" ? 3 : 2;
  if (args.size() != wanted) {
    return usage_error("wrong number of arguments for " + std::string(command));
  }
  std::uint32_t id = 0;
  if (command == "get" && !parse_id(args[2], id)) {
    return usage_error("'" + std::string(args[2]) + "' is not a hexadecimal file id");
  }
  return run(command, argv[2], id);
}
