// make-fuzz-corpus DIRECTORY: writes the seed inputs of every fuzz target, one folder per
// target, all made with the project's own writer: the demo world's records and archives, and a
// few small archives of odd shapes. The seeds are a pure function of this program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "dat/dat_database.h"
#include "dat/landblock_info.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "dat/setup_model.h"
#include "fuzz/bake_input.h"
#include "make-demo-world/demo_world.h"
#include "write/archive_writer.h"
#include "write/gfx_obj_encoder.h"
#include "write/landblock_encoder.h"
#include "write/lrs_compressor.h"
#include "write/model_builders.h"
#include "write/region_encoder.h"
#include "write/scene_encoder.h"

namespace {

namespace fs = std::filesystem;
namespace dat = ostrevane::dat;
namespace write = ostrevane::write;
namespace fuzz = ostrevane::fuzz;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kRegionId = 0x13000000;

class Corpus {
 public:
  explicit Corpus(fs::path root) : root_(std::move(root)) {}

  void add(const std::string& target, std::span<const std::uint8_t> bytes) {
    const fs::path dir = root_ / target;
    fs::create_directories(dir);
    const fs::path path = dir / ("seed-" + std::to_string(counts_[target]++));
    if (!write::save_file(path, bytes)) {
      std::fprintf(stderr, "make-fuzz-corpus: cannot write %s\n", path.c_str());
      std::exit(1);
    }
  }
  std::size_t total() const {
    std::size_t n = 0;
    for (const auto& [target, count] : counts_) n += count;
    return n;
  }

 private:
  fs::path root_;
  std::map<std::string, std::size_t> counts_;
};

// An archive's files by id, read back through the reader.
std::map<std::uint32_t, Bytes> files_of(const Bytes& archive_bytes, const fs::path& scratch) {
  if (!write::save_file(scratch, archive_bytes)) std::exit(1);
  auto archive = dat::DatDatabase::open(scratch);
  if (!archive) std::exit(1);
  std::map<std::uint32_t, Bytes> files;
  for (const dat::DatFileEntry& entry : archive->entries()) {
    if (auto bytes = archive->get_file(entry.id)) files[entry.id] = std::move(*bytes);
  }
  fs::remove(scratch);
  return files;
}

// The smallest world the bake places something in: one terrain type, one scene of one bush.
struct SmallWorld {
  Bytes region;
  Bytes scene;
  Bytes bush;
  Bytes terrain;
};

SmallWorld small_world() {
  dat::Region region;
  region.id = kRegionId;
  region.name = "Seed";
  region.land_height_table.fill(10.0f);
  region.section_mask = dat::Region::kSceneBit;
  region.scene_desc = dat::SceneDesc{{dat::SceneType{0, {0x12000001}}}};
  dat::TerrainType type;
  type.name = "Flat";
  type.scene_type_indices = {0};
  region.terrain_desc.terrain_types = {type};

  dat::Scene scene;
  scene.id = 0x12000001;
  dat::ObjectDesc bush;
  bush.object_id = 0x01000001;
  bush.frequency = 2.0f;
  bush.min_scale = 1.0f;
  bush.max_scale = 1.0f;
  scene.objects = {bush};

  write::GfxObjBuilder mesh(0x01000001);
  for (float x : {-0.25f, 0.25f}) {
    for (float y : {-0.25f, 0.25f}) mesh.add_vertex({x, y, 0.0f});
  }
  dat::CellLandblock block;
  block.id = 0xA9B4FFFF;
  return {write::encode_region(region), write::encode_scene(scene),
          write::encode_gfx_obj(mesh.build()), write::encode_cell_landblock(block)};
}

void add_archives(Corpus& corpus, const SmallWorld& small) {
  const std::vector<write::ArchiveFile> files = {{kRegionId, small.region},
                                                 {0x12000001, small.scene, true},
                                                 {0x01000001, small.bush},
                                                 {0xA9B4FFFF, small.terrain, true}};
  for (std::uint32_t block_size : {16u, 64u, 256u, 1024u}) {
    corpus.add("archive", write::write_archive(files, block_size).bytes);
  }
  // Enough entries for a directory of two levels.
  std::vector<write::ArchiveFile> many;
  for (std::uint32_t i = 0; i < 130; ++i) {
    many.push_back({0x0A000000 + i * 7, Bytes(i % 5, static_cast<std::uint8_t>(i)), i % 3 == 0});
  }
  corpus.add("archive", write::write_archive(many, 64).bytes);
  corpus.add("archive", write::write_archive({}, 256).bytes);

  // A chain whose last block holds more than one payload, and a root that is its own child.
  write::ArchiveImage image(32);
  const Bytes long_data(100, 0x5A);
  const std::uint32_t data = image.append_block(0, long_data);
  write::DirectoryNode leaf;
  leaf.entry_count = 1;
  leaf.entries = {{0, 0x06000001, data, static_cast<std::uint32_t>(long_data.size()), 0, 0}};
  image.header().root_offset = image.append_node(leaf);
  corpus.add("archive", image.finish());

  write::ArchiveImage cyclic(256);
  write::DirectoryNode root;
  root.entry_count = 0;
  root.branches[0] = cyclic.next_offset();
  cyclic.header().root_offset = cyclic.append_node(root);
  corpus.add("archive", cyclic.finish());
}

// Bake inputs for a landblock of the demo world: the scenes and models of the portal archive,
// those up to `largest` bytes.
Bytes demo_bake_input(std::uint8_t options, std::uint16_t landblock,
                      const std::map<std::uint32_t, Bytes>& portal,
                      const std::map<std::uint32_t, Bytes>& cell, std::size_t largest) {
  static const Bytes kNone;
  const auto get = [](const std::map<std::uint32_t, Bytes>& files, std::uint32_t id) {
    auto it = files.find(id);
    return it == files.end() ? std::span<const std::uint8_t>(kNone) : std::span(it->second);
  };
  const std::uint32_t key = std::uint32_t{landblock} << 16;
  fuzz::BakeInputWriter input(options, landblock);
  input.part(get(portal, kRegionId));
  input.part(get(cell, key | 0xFFFF));
  input.part(get(cell, key | 0xFFFE));
  for (const auto& [id, bytes] : portal) {
    if (id != kRegionId && bytes.size() <= largest) input.file(id, bytes);
  }
  return input.bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-fuzz-corpus DIRECTORY\n");
    return 2;
  }
  Corpus corpus(argv[1]);
  const fs::path scratch = fs::path(argv[1]) / ".scratch.dat";
  fs::create_directories(argv[1]);

  const ostrevane::demo::DemoWorld world = ostrevane::demo::make_demo_world({});
  const auto portal = files_of(world.portal, scratch);
  const auto cell = files_of(world.cell, scratch);
  const SmallWorld small = small_world();

  // Records, a few of each kind, and their compressed forms.
  std::map<std::string, std::size_t> taken;
  const auto take = [&](const std::string& target, const Bytes& bytes, std::size_t limit) {
    if (taken[target]++ >= limit) return;
    corpus.add(target, bytes);
    if (taken["lrs"]++ < 40) corpus.add("lrs", write::compress_lrs(bytes));
  };
  for (const auto& [id, bytes] : portal) {
    switch (id >> 24) {
      case 0x01: take("gfx_obj", bytes, 12); break;
      case 0x02: take("setup_model", bytes, 12); break;
      case 0x13: take("region", bytes, 1); break;
      default: take("scene", bytes, 12); break;
    }
  }
  for (const auto& [id, bytes] : cell) {
    take((id & 0xFFFF) == 0xFFFF ? "cell_landblock" : "landblock_info", bytes, 16);
  }
  take("region", small.region, 2);
  take("scene", small.scene, 13);
  take("gfx_obj", small.bush, 13);
  take("cell_landblock", small.terrain, 17);

  // The small world at every vertex, and demo landblocks with and without buildings.
  for (std::uint8_t options : {0, 1}) {
    fuzz::BakeInputWriter input(options, 0xA9B4);
    input.part(small.region);
    input.part(small.terrain);
    input.part({});
    input.file(0x12000001, small.scene);
    input.file(0x01000001, small.bush);
    corpus.add("bake", input.bytes());
  }
  int with_buildings = 0;
  for (const auto& [id, bytes] : cell) {
    if ((id & 0xFFFF) != 0xFFFE || with_buildings >= 3) continue;
    dat::ByteCursor cursor(bytes);
    auto info = dat::LandblockInfo::unpack(cursor);
    if (!info || info->buildings.empty()) continue;
    // Small models only: the seeds stay a few kilobytes, quick to mutate.
    corpus.add("bake", demo_bake_input(with_buildings % 2, static_cast<std::uint16_t>(id >> 16),
                                       portal, cell, 2048));
    ++with_buildings;
  }
  corpus.add("bake", demo_bake_input(1, 0xA9B4, portal, cell, SIZE_MAX));

  add_archives(corpus, small);
  std::printf("make-fuzz-corpus: %zu seeds in %s\n", corpus.total(), argv[1]);
  return 0;
}
