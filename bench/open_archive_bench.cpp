// Opening an archive of 500,000 entries, against its floor: the positioned reads the directory
// walk needs (every node's chain, pointer and payload per block) and nothing else.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dat/dat_database.h"
#include "write/archive_writer.h"

namespace {

constexpr std::uint32_t kEntries = 500000;
constexpr std::uint32_t kBlockSize = 256;

struct Fixture {
  std::filesystem::path path;
  std::vector<std::uint32_t> node_offsets;  // in walk order
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void build_fixture() {
  std::vector<ostrevane::write::ArchiveFile> files(kEntries);
  for (std::uint32_t i = 0; i < kEntries; ++i) {
    // Ids spread over the whole range, in no particular order.
    files[i].id = i * 8191u + 0x01000000u;
    files[i].bytes.assign(8, static_cast<std::uint8_t>(i));
    files[i].compress = i % 4 == 0;
  }
  ostrevane::write::WrittenArchive written = ostrevane::write::write_archive(files, kBlockSize);
  std::string pattern =
      (std::filesystem::temp_directory_path() / "ostrevane-open-bench-XXXXXX").string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) std::abort();
  ::close(fd);
  fixture().path = pattern;
  fixture().node_offsets = std::move(written.node_offsets);
  if (!ostrevane::write::save_file(fixture().path, written.bytes)) std::abort();
}

// Heap bytes in use, from the heap proper and from separate mappings.
std::size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void BM_Open(benchmark::State& state) {
  std::size_t entries = 0;
  double index_bytes = 0;
  for (auto _ : state) {
    const std::size_t before = heap_in_use();
    auto archive = ostrevane::dat::DatDatabase::open(fixture().path);
    if (!archive) {
      state.SkipWithError(archive.error().display().c_str());
      return;
    }
    // What the opened archive keeps on the heap: its index.
    index_bytes = static_cast<double>(heap_in_use() - before);
    entries = archive->entries().size();
    benchmark::DoNotOptimize(archive);
  }
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["index_bytes_per_entry"] = index_bytes / static_cast<double>(entries);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * entries);
}

// The same reads open makes for the directory, in the same order, without parsing or indexing.
void BM_OpenFloor(benchmark::State& state) {
  const int fd = ::open(fixture().path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  constexpr std::uint32_t kNodeSize = 1716;
  constexpr std::uint32_t kPayload = kBlockSize - 4;
  std::vector<std::uint8_t> node(kNodeSize);
  for (auto _ : state) {
    for (std::uint32_t offset : fixture().node_offsets) {
      std::uint32_t block = offset;
      std::uint32_t done = 0;
      while (done < kNodeSize) {
        std::uint32_t next = 0;
        if (::pread(fd, &next, 4, block) != 4) std::abort();
        const std::uint32_t n = next == 0 ? kNodeSize - done : std::min(kPayload, kNodeSize - done);
        if (::pread(fd, node.data() + done, n, block + 4) != static_cast<ssize_t>(n)) std::abort();
        done += n;
        block = next;
      }
      benchmark::DoNotOptimize(node.data());
    }
  }
  ::close(fd);
  state.counters["nodes"] = static_cast<double>(fixture().node_offsets.size());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kEntries);
}

BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  build_fixture();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(fixture().path);
  return 0;
}
