// make-demo-world: writes the demo world's portal and cell archives.
//
//   make-demo-world [--full] [--seed N] [DIRECTORY]
//
// DIRECTORY defaults to the project data directory, the first place scenery-bake-determinism
// looks for its archives. --full writes every landblock of the 256 × 256 world (for benchmarks)
// instead of the 13 × 13 ring.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "make-demo-world/demo_world.h"
#include "write/archive_writer.h"

namespace {

constexpr std::string_view kUsage =
    "usage: make-demo-world [--full] [--seed N] [DIRECTORY]\n"
    "Writes client_portal.dat and client_cell_1.dat of the demo world into DIRECTORY\n"
    "(default: " OSTREVANE_DATA_DIR ").\n"
    "  --full    every landblock of the 256 x 256 world, not only the 13 x 13 ring\n"
    "  --seed N  another world (N decimal or 0x-hexadecimal)\n";

int usage_error() {
  std::fputs(kUsage.data(), stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ostrevane::demo::DemoWorldOptions options;
  std::filesystem::path directory = OSTREVANE_DATA_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    } else if (arg == "--full") {
      options.full_world = true;
    } else if (arg == "--seed" && i + 1 < argc) {
      char* end = nullptr;
      options.seed = std::strtoull(argv[++i], &end, 0);
      if (end == argv[i] || *end != '\0') return usage_error();
    } else if (!arg.starts_with("-")) {
      directory = arg;
    } else {
      return usage_error();
    }
  }

  const ostrevane::demo::DemoWorld world = ostrevane::demo::make_demo_world(options);
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    std::fprintf(stderr, "Error: create %s: %s\n", directory.c_str(), error.message().c_str());
    return 1;
  }
  const struct {
    const char* name;
    const std::vector<std::uint8_t>& bytes;
    std::size_t entries;
  } archives[] = {{"client_portal.dat", world.portal, world.portal_entries},
                  {"client_cell_1.dat", world.cell, world.cell_entries}};
  for (const auto& archive : archives) {
    const std::filesystem::path path = directory / archive.name;
    if (auto saved = ostrevane::write::save_file(path, archive.bytes); !saved) {
      std::fprintf(stderr, "Error: write %s: %s\n", path.c_str(), saved.error().text().c_str());
      return 1;
    }
    std::printf("make-demo-world: %s (%zu entries, %zu bytes)\n", path.c_str(), archive.entries,
                archive.bytes.size());
  }
  return 0;
}
