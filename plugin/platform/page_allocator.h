#pragma once
// Process-wide source of 4096-byte pages for the per-tree pools of binding
// values. Pages come from 64 KiB regions reserved and committed read-write
// with the operating system. A region whose sixteen pages are all back is
// kept in a bounded reserve of empty regions (as many as were ever in use at
// once, at least kMinimumReserve and at most kMaximumReserve, 16 MiB) and
// handed out again before a new one is mapped; beyond the bound it goes back
// to the system at once, and the whole reserve goes back when the module
// unloads. Every call takes the
// one allocator mutex, so trees on different threads may allocate at once.

#include <cstddef>
#include <cstdint>

namespace kel::platform {

inline constexpr std::size_t kPageSize = 4096;
inline constexpr std::size_t kRegionSize = 64 * 1024;
inline constexpr std::size_t kPagesPerRegion = kRegionSize / kPageSize;
inline constexpr std::size_t kMinimumReserve = 4;
inline constexpr std::size_t kMaximumReserve = 256;

struct PageAllocatorStats {
  std::size_t regions = 0;       // regions currently held from the system, the reserve included
  std::size_t reserved = 0;      // of those, empty regions kept for reuse
  std::size_t reserveBound = 0;  // the most empty regions the reserve keeps now
  std::size_t pages = 0;         // pages currently handed out
};

// Returns a page aligned to 4096 bytes (contents unspecified), or null when the system
// refuses memory. Any thread.
void* AllocatePage() noexcept;

// Takes back a page returned by AllocatePage. Any thread.
void FreePage(void* page) noexcept;

// Returns every empty region of the reserve to the system. Any thread.
void ReleasePageReserve() noexcept;

// A snapshot of what the allocator holds; used by tests and benchmarks.
PageAllocatorStats GetPageAllocatorStats() noexcept;

}  // namespace kel::platform
