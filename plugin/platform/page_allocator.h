#pragma once
// Process-wide source of 4096-byte pages for the per-tree pools of binding
// values. Pages come from 64 KiB regions reserved and committed read-write
// with the operating system; a region goes back as soon as all sixteen of its
// pages are back. Every call takes the one allocator mutex, so trees on
// different threads may allocate at once.

#include <cstddef>
#include <cstdint>

namespace kel::platform {

inline constexpr std::size_t kPageSize = 4096;
inline constexpr std::size_t kRegionSize = 64 * 1024;
inline constexpr std::size_t kPagesPerRegion = kRegionSize / kPageSize;

struct PageAllocatorStats {
  std::size_t regions = 0;  // regions currently held from the system
  std::size_t pages = 0;    // pages currently handed out
};

// Returns a page aligned to 4096 bytes (contents unspecified), or null when the system
// refuses memory. Any thread.
void* AllocatePage() noexcept;

// Takes back a page returned by AllocatePage. Any thread.
void FreePage(void* page) noexcept;

// A snapshot of what the allocator holds; used by tests and benchmarks.
PageAllocatorStats GetPageAllocatorStats() noexcept;

}  // namespace kel::platform
