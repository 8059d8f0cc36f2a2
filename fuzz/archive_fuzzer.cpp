// DatDatabase::open over any archive bytes, then get_file of every file its directory lists.
// The bytes are handed over as an anonymous in-memory file, since opening takes a path.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dat/dat_database.h"
#include "fuzz/allocation_bound.h"

namespace {

// Fetching costs up to the archive's length per entry, and a small archive can list thousands of
// entries that all name its longest chain; past this many gathered bytes the remaining entries
// are skipped, so that one input stays within a second or so.
constexpr std::uint64_t kFetchBudget = std::uint64_t{4} << 20;

int archive_file(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("archive", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ostrevane::fuzz::AllocationBound bound(size);
  const int fd = archive_file(data, size);
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  {
    auto archive = ostrevane::dat::DatDatabase::open(path);
    if (!archive) {
      (void)archive.error().display();
    } else {
      std::uint64_t fetched = 0;
      for (const ostrevane::dat::DatFileEntry& entry : archive->entries()) {
        if (fetched > kFetchBudget) break;
        fetched += entry.size;
        auto bytes = archive->get_file(entry.id);
        if (!bytes) (void)bytes.error().display();
      }
    }
  }
  ::close(fd);
  return 0;
}
