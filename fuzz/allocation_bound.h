// Checks, in every fuzz target, that one input never makes the code under test hold more memory
// than a fixed multiple of the input's size (plus a fixed allowance for small inputs): the live
// heap bytes are tracked through the sanitizer allocator's hooks, and a peak above the bound
// aborts the run, which libFuzzer reports as a crash with the input that caused it.
//
// Usage, in LLVMFuzzerTestOneInput:  ostrevane::fuzz::AllocationBound bound(size);
#pragma once

#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ostrevane::fuzz {

// Every reader must stay below kBytesPerInputByte · size + kAllowance bytes of live heap.
inline constexpr std::uint64_t kBytesPerInputByte = 64;
inline constexpr std::uint64_t kAllowance = std::uint64_t{1} << 20;
// The bake's result is larger than its input by design: each 76-byte object description can be
// placed at all 81 vertices, 64 bytes each with its footprint, and a growing list may hold up to
// twice what it uses.
inline constexpr std::uint64_t kBakeBytesPerInputByte = 2 * 81 * 64 / 76 + 64;

namespace detail {

inline std::atomic<std::int64_t> live{0};
inline std::atomic<std::int64_t> peak{0};

inline void on_malloc(const volatile void*, std::size_t size) {
  const std::int64_t now = live += static_cast<std::int64_t>(size);
  std::int64_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
}

inline void on_free(const volatile void* ptr) {
  if (ptr != nullptr) {
    live -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(const_cast<const void*>(ptr)));
  }
}

inline bool install() {
  __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free);
  return true;
}

}  // namespace detail

class AllocationBound {
 public:
  explicit AllocationBound(std::size_t input_size,
                           std::uint64_t bytes_per_input_byte = kBytesPerInputByte)
      : input_size_(input_size), bytes_per_input_byte_(bytes_per_input_byte) {
    static const bool installed = detail::install();
    (void)installed;
    baseline_ = detail::live.load();
    detail::peak.store(baseline_);
  }
  AllocationBound(const AllocationBound&) = delete;
  AllocationBound& operator=(const AllocationBound&) = delete;
  ~AllocationBound() {
    const std::uint64_t used = static_cast<std::uint64_t>(detail::peak.load() - baseline_);
    const std::uint64_t bound = bytes_per_input_byte_ * input_size_ + kAllowance;
    if (used > bound) {
      std::fprintf(stderr, "allocation bound exceeded: %llu live bytes for %zu input bytes\n",
                   static_cast<unsigned long long>(used), input_size_);
      std::abort();
    }
  }

 private:
  std::size_t input_size_;
  std::uint64_t bytes_per_input_byte_;
  std::int64_t baseline_ = 0;
};

}  // namespace ostrevane::fuzz
