// Counts far beyond the data in every list of the region, scene and landblock records: each must
// end in the short-read error, and no reader may allocate for the count instead of for the bytes
// that are present. The global allocation functions of this test program note the largest
// request while a probe runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "dat/game_time.h"
#include "dat/landblock_info.h"
#include "dat/region.h"
#include "dat/scene.h"
#include "write/byte_writer.h"

namespace {

std::atomic<bool> probe_running{false};
std::atomic<std::size_t> largest_request{0};

void note_request(std::size_t size) noexcept {
  if (!probe_running.load(std::memory_order_relaxed)) return;
  std::size_t seen = largest_request.load(std::memory_order_relaxed);
  while (size > seen && !largest_request.compare_exchange_weak(seen, size)) {
  }
}

void* allocate(std::size_t size) {
  note_request(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* allocate_nothrow(std::size_t size) noexcept {
  note_request(size);
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate_nothrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate_nothrow(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace ostrevane::dat {
namespace {

// The largest single allocation `run` asks for.
std::size_t largest_allocation_during(const std::function<void()>& run) {
  largest_request = 0;
  probe_running = true;
  run();
  probe_running = false;
  return largest_request;
}

using Head = std::function<void(write::ByteWriter&)>;
using Read = std::function<std::string(ByteCursor&)>;  // the root text, "" on success

// What `unpack` reports: the root text of its error, or "" when it parsed.
template <class Unpack>
Read root_of(Unpack unpack) {
  return [unpack](ByteCursor& cursor) -> std::string {
    const auto record = unpack(cursor);
    return record ? std::string() : record.error().root_text();
  };
}

// `head`, the count `count` of width `Count`, then 64 zero bytes: room for a few elements.
template <class Count>
std::vector<std::uint8_t> oversized(const Head& head, Count count) {
  write::ByteWriter out;
  head(out);
  out.put(count);
  out.zeros(64);
  return out.take();
}

void empty_string(write::ByteWriter& out) {
  out.u16(0);
  out.pad_to_4();
}

void game_time_head(write::ByteWriter& out) {
  out.f64(0.0);
  out.zeros(12);
  empty_string(out);
}

void one_day_group(write::ByteWriter& out) {
  out.zeros(16);
  out.u32(1);
  out.u32(0);
  empty_string(out);
}

void one_terrain_type(write::ByteWriter& out) {
  out.u32(1);
  empty_string(out);
  out.u32(0);
}

void terrain_types_and_words(write::ByteWriter& out) { out.zeros(12); }

void landblock_head(std::uint16_t num_buildings, std::uint16_t pack_mask, write::ByteWriter& out) {
  out.zeros(12);
  out.u16(num_buildings);
  out.u16(pack_mask);
}

void one_building(write::ByteWriter& out) {
  landblock_head(1, 0, out);
  out.zeros(4 + 28 + 4);
}

TEST(OversizedCount, EndsInTheShortReadWithoutAllocatingForTheCount) {
  constexpr std::uint32_t kHuge = 0xFFFFFFFF;
  constexpr std::uint16_t kHuge16 = 0xFFFF;
  const struct {
    const char* list;
    std::vector<std::uint8_t> bytes;
    Read read;
  } cases[] = {
      {"GameTime times_of_day", oversized(game_time_head, kHuge), root_of(GameTime::unpack)},
      {"GameTime labels",
       oversized(
           [](auto& out) {
             game_time_head(out);
             out.u32(0);
           },
           kHuge),
       root_of(GameTime::unpack)},
      {"GameTime seasons",
       oversized(
           [](auto& out) {
             game_time_head(out);
             out.zeros(8);
           },
           kHuge),
       root_of(GameTime::unpack)},
      {"SkyDesc day_groups", oversized([](auto& out) { out.zeros(16); }, kHuge),
       root_of(SkyDesc::unpack)},
      {"DayGroup entries", oversized(one_day_group, kHuge), root_of(SkyDesc::unpack)},
      {"DayGroup sky_times",
       oversized(
           [](auto& out) {
             one_day_group(out);
             out.u32(0);
           },
           kHuge),
       root_of(SkyDesc::unpack)},
      {"SkyTimeOfDay entries",
       oversized(
           [](auto& out) {
             one_day_group(out);
             out.u32(0);
             out.u32(1);
             out.zeros(44);
           },
           kHuge),
       root_of(SkyDesc::unpack)},
      {"SoundDesc ambient_descs", oversized([](auto&) {}, kHuge), root_of(SoundDesc::unpack)},
      {"AmbientSTBDesc entries",
       oversized(
           [](auto& out) {
             out.u32(1);
             out.u32(0);
           },
           kHuge),
       root_of(SoundDesc::unpack)},
      {"SceneDesc scene_types", oversized([](auto&) {}, kHuge), root_of(SceneDesc::unpack)},
      {"SceneType scene_ids",
       oversized(
           [](auto& out) {
             out.u32(1);
             out.u32(0);
           },
           kHuge),
       root_of(SceneDesc::unpack)},
      {"TerrainDesc terrain_types", oversized([](auto&) {}, kHuge), root_of(TerrainDesc::unpack)},
      {"TerrainType scene_type_indices", oversized(one_terrain_type, kHuge),
       root_of(TerrainDesc::unpack)},
      {"TerrainDesc trailer_pairs_1", oversized(terrain_types_and_words, kHuge),
       root_of(TerrainDesc::unpack)},
      {"TerrainDesc trailer_pairs_2",
       oversized(
           [](auto& out) {
             terrain_types_and_words(out);
             out.zeros(4);
           },
           kHuge),
       root_of(TerrainDesc::unpack)},
      {"TerrainDesc trailer_pairs_3",
       oversized(
           [](auto& out) {
             terrain_types_and_words(out);
             out.zeros(8);
           },
           kHuge),
       root_of(TerrainDesc::unpack)},
      {"TerrainDesc trailer_entries",
       oversized(
           [](auto& out) {
             terrain_types_and_words(out);
             out.zeros(12);
           },
           kHuge),
       root_of(TerrainDesc::unpack)},
      {"Scene objects", oversized([](auto& out) { out.u32(0x12000001); }, kHuge),
       root_of(Scene::unpack)},
      {"LandblockInfo objects", oversized([](auto& out) { out.zeros(8); }, kHuge),
       root_of(LandblockInfo::unpack)},
      {"LandblockInfo buildings",
       oversized([](auto& out) { out.zeros(12); }, kHuge16),  // then pack_mask 0
       root_of(LandblockInfo::unpack)},
      {"BuildInfo portals", oversized(one_building, kHuge), root_of(LandblockInfo::unpack)},
      {"PortalInternal stab_list",
       oversized(
           [](auto& out) {
             one_building(out);
             out.u32(1);
             out.zeros(6);
           },
           kHuge16),
       root_of(LandblockInfo::unpack)},
      {"RestrictionTable tables", oversized([](auto& out) { landblock_head(0, 1, out); }, kHuge16),
       root_of(LandblockInfo::unpack)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    std::string root;
    const std::size_t largest = largest_allocation_during([&] {
      ByteCursor cursor(c.bytes);
      root = c.read(cursor);
    });
    EXPECT_EQ(root, "failed to fill whole buffer");
    EXPECT_LT(largest, 64u * 1024) << "for " << c.bytes.size() << " bytes of input";
  }
}

}  // namespace
}  // namespace ostrevane::dat
