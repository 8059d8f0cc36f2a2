// scenery-bake-determinism: bakes the scenery of the 13 × 13 ring of landblocks around 0xA9B4
// twice in one process, writes every placement of both runs as JSON lines, and reports whether
// the runs are byte-identical. Arguments are ignored; configuration is by environment only.
#include <cstdio>
#include <expected>
#include <string>
#include <string_view>

#include "common/tool_error.h"
#include "dat/dat_database.h"
#include "dat/region.h"
#include "dat/text_decode.h"
#include "dat/try.h"
#include "scenery-bake-determinism/archive_location.h"
#include "scenery-bake-determinism/output.h"
#include "scenery-bake-determinism/ring_bake.h"

namespace {

using ostrevane::tools::ToolError;
namespace dat = ostrevane::dat;
namespace determinism = ostrevane::determinism;

constexpr std::uint32_t kRegionFileId = 0x13000000;

void print(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::expected<dat::DatDatabase, ToolError> open_archive(const std::string& path,
                                                        const char* context) {
  auto archive = dat::DatDatabase::open(path);
  if (!archive) return std::unexpected(ToolError::from(archive.error()).context(context));
  return std::move(*archive);
}

std::expected<dat::Region, ToolError> load_region(const dat::DatDatabase& portal) {
  auto bytes = portal.get_file(kRegionFileId);
  if (!bytes) {
    return std::unexpected(ToolError::from(bytes.error()).context("fetch Region 0x13000000"));
  }
  dat::ByteCursor cursor(*bytes);
  auto region = dat::Region::unpack(cursor);
  if (!region) return std::unexpected(ToolError::from(region.error()).context("parse Region"));
  return std::move(*region);
}

std::expected<void, ToolError> run() {
  // Both candidate lists are built, both variables read, before either is searched.
  const determinism::Candidates portal_candidates =
      determinism::archive_candidates("OSTREVANE_PORTAL_DAT", determinism::kPortalFileName);
  const determinism::Candidates cell_candidates =
      determinism::archive_candidates("OSTREVANE_CELL_DAT", determinism::kCellFileName);
  OSTREVANE_TRY(const std::string portal_path, determinism::locate(portal_candidates));
  OSTREVANE_TRY(const std::string cell_path, determinism::locate(cell_candidates));
  print("scenery-bake-determinism: portal=" + dat::lossy_utf8(portal_path) +
        " cell=" + dat::lossy_utf8(cell_path) + "\n");

  OSTREVANE_TRY(const dat::DatDatabase portal, open_archive(portal_path, "open portal"));
  OSTREVANE_TRY(const dat::DatDatabase cell, open_archive(cell_path, "open cell"));
  OSTREVANE_TRY(const dat::Region region, load_region(portal));

  const std::vector<std::uint16_t> ids = determinism::ring_landblock_ids();
  const std::string count = std::to_string(ids.size());
  print("scenery-bake-determinism: baking 13\u00d713 = " + count + " LBs (run 1)\n");
  const determinism::RingLines run1 = determinism::bake_ring_to_lines(region, portal, cell, ids);
  print("scenery-bake-determinism: baking 13\u00d713 = " + count + " LBs (run 2)\n");
  const determinism::RingLines run2 = determinism::bake_ring_to_lines(region, portal, cell, ids);

  OSTREVANE_TRY_VOID(determinism::write_runs(determinism::output_directory(), run1, run2));
  std::string report;
  auto verdict = determinism::compare_runs(run1, run2, report);
  print(report);
  return verdict;
}

}  // namespace

int main() {
  if (auto outcome = run(); !outcome) return ostrevane::tools::report_failure(outcome.error());
  return 0;
}
