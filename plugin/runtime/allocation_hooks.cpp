#include "runtime/allocation_hooks.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kel::memory {

namespace {

// 64-bit counters even in the 32-bit build; lock-free there too (cmpxchg8b).
struct Counters {
  std::atomic<uint64_t> peak_bytes{0};
  std::atomic<uint64_t> allocations_at_peak{0};
  std::atomic<uint64_t> bytes_allocated{0};
  std::atomic<uint64_t> allocations{0};
  std::atomic<uint64_t> bytes_freed{0};
  std::atomic<uint64_t> frees{0};
};

// Constant-initialised, so counting works for allocations made before any
// constructor of the module has run.
constinit Counters g_counters;

void CountAllocation(void* block) {
  if (!block) return;
  const uint64_t size = malloc_usable_size(block);
  const uint64_t allocated = g_counters.bytes_allocated.fetch_add(size) + size;
  const uint64_t count = g_counters.allocations.fetch_add(1) + 1;
  const uint64_t freed = g_counters.bytes_freed.load();
  if (allocated < freed) return;  // foreign blocks were released here
  const uint64_t in_use = allocated - freed;
  uint64_t peak = g_counters.peak_bytes.load();
  while (in_use > peak) {
    if (g_counters.peak_bytes.compare_exchange_weak(peak, in_use)) {
      g_counters.allocations_at_peak.store(count - g_counters.frees.load());
      break;
    }
  }
}

void CountRelease(void* block) {
  if (!block) return;
  g_counters.bytes_freed.fetch_add(malloc_usable_size(block));
  g_counters.frees.fetch_add(1);
}

}  // namespace

void* Allocate(size_t size) {
  void* block = std::malloc(size);
  CountAllocation(block);
  return block;
}

void* AllocateAligned(size_t size, size_t alignment) {
  void* block = nullptr;
  if (alignment < sizeof(void*)) alignment = sizeof(void*);
  if (posix_memalign(&block, alignment, size) != 0) return nullptr;
  CountAllocation(block);
  return block;
}

void* Reallocate(void* block, size_t size) {
  // The old block's size must be read before realloc may free it.
  const uint64_t old_size = block ? malloc_usable_size(block) : 0;
  void* moved = std::realloc(block, size);
  if (!moved && size != 0) return nullptr;  // the old block is untouched
  if (block) {
    g_counters.bytes_freed.fetch_add(old_size);
    g_counters.frees.fetch_add(1);
  }
  CountAllocation(moved);
  return moved;
}

char* DuplicateString(const char* text) {
  const size_t length = std::strlen(text) + 1;
  char* copy = static_cast<char*>(Allocate(length));
  if (copy) std::memcpy(copy, text, length);
  return copy;
}

void Release(void* block) {
  CountRelease(block);
  std::free(block);
}

void ReadMemoryStats(MemoryStats& stats) {
  stats.peak_bytes_in_use = g_counters.peak_bytes.load();
  stats.allocations_at_peak = g_counters.allocations_at_peak.load();
  stats.total_bytes_allocated = g_counters.bytes_allocated.load();
  stats.total_allocations = g_counters.allocations.load();
  stats.total_bytes_freed = g_counters.bytes_freed.load();
  stats.total_frees = g_counters.frees.load();
  stats.reserved[0] = 0;
  stats.reserved[1] = 0;
}

}  // namespace kel::memory
